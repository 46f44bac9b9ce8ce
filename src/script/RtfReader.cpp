#include "RtfReader.h"

#include <iconv.h>

#include <QHash>
#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

namespace quillon {

namespace {

// Windows-1252's characters for the bytes 0x80 to 0x9F (0 where it has none); the other
// bytes are Latin-1.
constexpr char16_t kWindows1252[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

QString DecodeWindows1252(const std::string& bytes) {
    QString out;
    out.reserve(qsizetype(bytes.size()));
    for (unsigned char b : bytes) {
        if (b >= 0x80 && b < 0xA0)
            out += QChar(kWindows1252[b - 0x80] ? kWindows1252[b - 0x80] : char16_t(0xFFFD));
        else
            out += QChar(char16_t(b));
    }
    return out;
}

// The bytes in a Windows code page, through the system's converters; Windows-1252 for a code
// page they do not know.
QString DecodeCodePage(const std::string& bytes, int codePage) {
    if (codePage == 1252 || bytes.empty()) return DecodeWindows1252(bytes);
    if (codePage == 65001) return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    std::string name = codePage == 10000 ? "MACINTOSH" : "CP" + std::to_string(codePage);
    iconv_t cd = iconv_open("UTF-16LE", name.c_str());
    if (cd == iconv_t(-1)) return DecodeWindows1252(bytes);
    std::string in = bytes;
    std::string out(in.size() * 4 + 8, '\0');
    char* inPtr = in.data();
    size_t inLeft = in.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    while (inLeft > 0) {
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != size_t(-1)) break;
        if (outLeft < 2) break;
        // A byte the code page does not map: U+FFFD for it, and on.
        *outPtr++ = char(0xFD);
        *outPtr++ = char(0xFF);
        outLeft -= 2;
        ++inPtr;
        --inLeft;
    }
    iconv_close(cd);
    const size_t produced = out.size() - outLeft;
    return QString(reinterpret_cast<const QChar*>(out.data()), qsizetype(produced / 2));
}

enum class Destination {
    kText,         // shown text
    kSkip,         // a destination that is not shown
    kFontTable,    // "\fonttbl": font names
    kColourTable,  // "\colortbl": colours
};

// What a group inherits and may change.
struct State {
    TextStyle style;
    int font = -1;  // the "\fN" in force; -1 for the default
    int unicodeSkip = 1;
    Destination destination = Destination::kText;
};

// Destinations whose content is not text.
bool IsSkippedDestination(const std::string& word) {
    static const char* const kSkipped[] = {"pict",
                                           "info",
                                           "header",
                                           "headerl",
                                           "headerr",
                                           "headerf",
                                           "footer",
                                           "footerl",
                                           "footerr",
                                           "footerf",
                                           "footnote",
                                           "stylesheet",
                                           "listtable",
                                           "listoverridetable",
                                           "rsidtbl",
                                           "generator",
                                           "xmlnstbl",
                                           "themedata",
                                           "colorschememapping",
                                           "datastore",
                                           "latentstyles",
                                           "object",
                                           "fldinst",
                                           "pntext",
                                           "pntxta",
                                           "pntxtb",
                                           "revtbl",
                                           "filetbl",
                                           "annotation",
                                           "atnid",
                                           "atnauthor",
                                           "bkmkstart",
                                           "bkmkend",
                                           "private",
                                           "template",
                                           "comment",
                                           "title",
                                           "subject",
                                           "author",
                                           "operator",
                                           "keywords",
                                           "doccomm",
                                           "company",
                                           "nonshppict",
                                           "userprops",
                                           "mmathPr",
                                           "wgrffmtfilter",
                                           "pgdsctbl",
                                           "shppict",
                                           "blipuid",
                                           "docvar",
                                           "ftnsep",
                                           "ftnsepc",
                                           "aftnsep",
                                           "aftnsepc",
                                           "protusertbl",
                                           "passwordhash",
                                           "listtext"};
    return std::any_of(std::begin(kSkipped), std::end(kSkipped),
                       [&](const char* s) { return word == s; });
}

class Parser {
  public:
    explicit Parser(QByteArrayView bytes)
        : data_(reinterpret_cast<const unsigned char*>(bytes.data())), size_(size_t(bytes.size())) {
        states_.reserve(64);
        states_.push_back(State{});
        out_.paragraphs.clear();
        out_.paragraphs.emplace_back();
    }

    RichText Run() {
        while (pos_ < size_) {
            const unsigned char c = data_[pos_];
            if (c == '{') {
                ++pos_;
                OpenGroup();
            } else if (c == '}') {
                ++pos_;
                CloseGroup();
            } else if (c == '\\') {
                ++pos_;
                ControlWord();
            } else {
                ++pos_;
                // Line ends in the file are not text.
                if (c == '\r' || c == '\n') continue;
                Byte(c);
            }
        }
        FlushBytes();
        out_.Normalise();
        return std::move(out_);
    }

  private:
    State& state() { return states_.back(); }

    void OpenGroup() {
        FlushBytes();
        skip_ = 0;
        if (int(states_.size()) > RtfReader::kMaxDepth) {
            ++deepGroups_;  // followed no further: its text joins the deepest state's
            return;
        }
        states_.push_back(states_.back());
    }

    void CloseGroup() {
        FlushBytes();
        skip_ = 0;
        if (deepGroups_ > 0) {
            --deepGroups_;
            return;
        }
        if (states_.size() > 1) {
            const State closing = states_.back();
            if (closing.destination == Destination::kFontTable) EndFontName();
            states_.pop_back();
        }
    }

    // A character or "\'hh" byte (literal: not a table's separator), or a skipped fallback
    // character.
    void Byte(unsigned char b, bool literal = false) {
        if (skip_ > 0) {
            --skip_;
            return;
        }
        switch (state().destination) {
            case Destination::kSkip:
                return;
            case Destination::kColourTable:
                if (b == ';' && !literal) EndColour();
                return;
            case Destination::kFontTable:
                if (b == ';' && !literal)
                    EndFontName();
                else
                    fontBytes_ += char(b);
                return;
            case Destination::kText:
                pendingBytes_ += char(b);
                pendingStyle_ = state().style;
                return;
        }
    }

    void FlushBytes() {
        if (pendingBytes_.empty()) return;
        Append(DecodeCodePage(pendingBytes_, codePage_), pendingStyle_);
        pendingBytes_.clear();
    }

    void Append(const QString& text, const TextStyle& style) {
        if (text.isEmpty()) return;
        std::vector<TextRun>& runs = out_.paragraphs.back().runs;
        if (!runs.empty() && runs.back().style == style)
            runs.back().text += text;
        else
            runs.push_back({text, style});
    }

    // Text given by a control word (a character, a tab, a line break).
    void Emit(char32_t ch) {
        if (skip_ > 0) {
            --skip_;
            return;
        }
        if (state().destination != Destination::kText) return;
        FlushBytes();
        Append(QString::fromUcs4(&ch, 1), state().style);
    }

    void EmitUtf16(char16_t unit) {
        if (state().destination == Destination::kFontTable) {
            FlushFontBytes();
            fontName_ += QChar(unit);
            return;
        }
        if (state().destination != Destination::kText) return;
        FlushBytes();
        Append(QString(QChar(unit)), state().style);
    }

    void Paragraph() {
        if (skip_ > 0) {
            --skip_;
            return;
        }
        if (state().destination != Destination::kText) return;
        FlushBytes();
        if (out_.paragraphs.size() >= kMaxParagraphs) return;
        out_.paragraphs.emplace_back();
    }

    void FlushFontBytes() {
        fontName_ += DecodeCodePage(fontBytes_, codePage_);
        fontBytes_.clear();
    }

    void EndFontName() {
        FlushFontBytes();
        // Control characters are no part of a font's name: a tab, a NUL or a line break there
        // is damage, and "\tab" in a font table is not text either.
        QString name;
        for (const QChar ch : std::as_const(fontName_))
            if (ch.unicode() >= 0x20) name += ch;
        name = name.trimmed();
        fontName_.clear();
        if (fontNumber_ >= 0 && !name.isEmpty()) fonts_.insert(fontNumber_, name);
        fontNumber_ = -1;
    }

    void EndColour() {
        colours_.push_back(colourSet_ ? int64_t(colour_) : -1);
        colour_ = 0;
        colourSet_ = false;
    }

    // The default font ("\deffN") is the text's own: no font of its own in the style.
    void ApplyFont(int number) {
        state().font = number;
        state().style.font = number == defaultFont_ ? QString() : fonts_.value(number);
    }

    // After a backslash.
    void ControlWord() {
        if (pos_ >= size_) return;
        const unsigned char first = data_[pos_];
        if (!std::isalpha(first)) {
            ++pos_;
            ControlSymbol(first);
            return;
        }
        std::string word;
        while (pos_ < size_ && std::isalpha(data_[pos_])) {
            if (word.size() < 32) word += char(data_[pos_]);
            ++pos_;
        }
        bool hasValue = false;
        bool negative = false;
        int64_t value = 0;
        if (pos_ < size_ && data_[pos_] == '-' && pos_ + 1 < size_ &&
            std::isdigit(data_[pos_ + 1])) {
            negative = true;
            ++pos_;
        }
        while (pos_ < size_ && std::isdigit(data_[pos_])) {
            hasValue = true;
            if (value < 100000000000LL) value = value * 10 + (data_[pos_] - '0');
            ++pos_;
        }
        if (pos_ < size_ && data_[pos_] == ' ') ++pos_;
        if (negative) value = -value;
        const int number = int(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
        Word(word, hasValue, number);
    }

    void ControlSymbol(unsigned char c) {
        switch (c) {
            case '\\':
            case '{':
            case '}':
                Byte(c);
                return;
            case '~':
                return Emit(0x00A0);
            case '_':
                return Emit(0x2011);
            case '-':  // an optional hyphen: nothing to show
            case '|':
            case ':':
                return;
            case '*':
                // "\*": a destination the reader may not know; skip it whole.
                FlushBytes();
                state().destination = Destination::kSkip;
                return;
            case '\r':
            case '\n':
                return Paragraph();
            case '\'': {
                int v = 0, digits = 0;
                while (digits < 2 && pos_ < size_ && std::isxdigit(data_[pos_])) {
                    const unsigned char h = data_[pos_++];
                    v = v * 16 + (std::isdigit(h) ? h - '0' : (std::tolower(h) - 'a' + 10));
                    ++digits;
                }
                if (digits == 2) Byte(static_cast<unsigned char>(v), true);
                return;
            }
            default:
                return;
        }
    }

    void Word(const std::string& w, bool hasValue, int n) {
        // A control word other than text takes one byte of a "\uN" fallback.
        if (skip_ > 0 && w != "u") {
            --skip_;
            return;
        }
        State& s = state();
        const bool on = !hasValue || n != 0;
        if (w == "par" || w == "page" || w == "sect" || w == "row") return Paragraph();
        if (w == "line") return Emit(QChar::LineSeparator);
        if (w == "tab" || w == "cell") return Emit('\t');
        if (w == "emdash") return Emit(0x2014);
        if (w == "endash") return Emit(0x2013);
        if (w == "lquote") return Emit(0x2018);
        if (w == "rquote") return Emit(0x2019);
        if (w == "ldblquote") return Emit(0x201C);
        if (w == "rdblquote") return Emit(0x201D);
        if (w == "bullet") return Emit(0x2022);
        if (w == "u") return Unicode(n);
        if (w == "uc") {
            s.unicodeSkip = std::clamp(n, 0, 16);
            return;
        }
        if (w == "bin") return Binary(n);
        FlushBytes();
        if (w == "b") {
            s.style.bold = on;
        } else if (w == "i") {
            s.style.italic = on;
        } else if (w == "ul" || w == "uld" || w == "uldb" || w == "ulw" || w == "ulth" ||
                   w == "ulwave" || w == "uldash") {
            s.style.underline = on;
        } else if (w == "ulnone") {
            s.style.underline = false;
        } else if (w == "plain") {
            s.style = TextStyle{};
            ApplyFont(defaultFont_);
        } else if (w == "f") {
            if (s.destination == Destination::kFontTable) {
                EndFontName();
                fontNumber_ = n;
            } else {
                ApplyFont(n);
            }
        } else if (w == "deff") {
            defaultFont_ = n;
        } else if (w == "fs") {
            s.style.pointSize = n > 0 && n <= 3276 ? n / 2.0 : 0;
        } else if (w == "cf") {
            const int64_t c = n >= 0 && n < int(colours_.size()) ? colours_[size_t(n)] : -1;
            s.style.coloured = c >= 0;
            s.style.rgb = c >= 0 ? uint32_t(c) : 0;
        } else if (w == "red" || w == "green" || w == "blue") {
            if (s.destination != Destination::kColourTable) return;
            const uint32_t v = uint32_t(std::clamp(n, 0, 255));
            const int shift = w == "red" ? 16 : w == "green" ? 8 : 0;
            colour_ = (colour_ & ~(0xFFu << shift)) | (v << shift);
            colourSet_ = true;
        } else if (w == "ansicpg") {
            codePage_ = n > 0 ? n : 1252;
        } else if (w == "ansi") {
            codePage_ = 1252;
        } else if (w == "mac") {
            codePage_ = 10000;
        } else if (w == "pc") {
            codePage_ = 437;
        } else if (w == "pca") {
            codePage_ = 850;
        } else if (w == "fonttbl") {
            s.destination = Destination::kFontTable;
        } else if (w == "colortbl") {
            s.destination = Destination::kColourTable;
            colours_.clear();
        } else if (IsSkippedDestination(w)) {
            s.destination = Destination::kSkip;
        }
        // Anything else changes nothing shown here.
    }

    void Unicode(int n) {
        // A signed 16-bit value; the fallback characters after it are not shown. Anything
        // outside the 16 bits is no character.
        const bool inRange = n >= -32768 && n <= 65535;
        const char16_t unit = inRange ? char16_t(n < 0 ? n + 65536 : n) : char16_t(0xFFFD);
        EmitUtf16(unit);
        skip_ = state().unicodeSkip;
    }

    void Binary(int n) {
        FlushBytes();
        const size_t count = n > 0 ? size_t(n) : 0;
        pos_ = std::min(size_, pos_ + count);
    }

    static constexpr size_t kMaxParagraphs = 1'000'000;

    const unsigned char* data_;
    size_t size_;
    size_t pos_ = 0;
    std::vector<State> states_;
    int deepGroups_ = 0;
    int skip_ = 0;  // fallback bytes of a "\uN" still to skip
    int codePage_ = 1252;
    int defaultFont_ = 0;
    std::string pendingBytes_;
    TextStyle pendingStyle_;
    QHash<int, QString> fonts_;
    int fontNumber_ = -1;
    std::string fontBytes_;  // of the font name being read, not yet decoded
    QString fontName_;
    std::vector<int64_t> colours_;  // 0xRRGGBB, or -1 for the automatic colour
    uint32_t colour_ = 0;
    bool colourSet_ = false;
    RichText out_;
};

}  // namespace

RichText RtfReader::Read(QByteArrayView bytes) {
    return Parser(bytes).Run();
}

}  // namespace quillon
