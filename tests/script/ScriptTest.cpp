// The script's text: the RTF reader on hand-made and word-processor documents and on broken
// input, the writer's bytes, round trips, script files by name, and following the frame.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "script/RtfReader.h"
#include "script/RtfWriter.h"
#include "script/ScriptFile.h"
#include "script/ScriptFollowing.h"

using namespace quillon;

namespace {

QString Plain(const QByteArray& rtf) {
    return RtfReader::Read(rtf).PlainText();
}

std::vector<TextRun> Runs(const RichText& t, size_t paragraph) {
    return paragraph < t.paragraphs.size() ? t.paragraphs[paragraph].runs : std::vector<TextRun>{};
}

}  // namespace

TEST(RtfReader, TextOfControlWordsSymbolsAndDestinations) {
    const struct {
        const char* rtf;
        QString text;
    } cases[] = {
        {R"({\rtf1 a\{b\}c\\d})", "a{b}c\\d"},
        {R"({\rtf1 one\par two\line three\tab four})", "one\ntwo\nthree\tfour"},
        {"{\\rtf1 hard\\\nbreak}", "hard\nbreak"},
        {"{\\rtf1 raw\r\nline ends\r\n}", "rawline ends"},
        {R"({\rtf1 \emdash\endash\lquote\rquote\ldblquote\rdblquote\bullet\~\_})",
         QString::fromUtf16(u"\u2014\u2013\u2018\u2019\u201C\u201D\u2022\u00A0\u2011")},
        {R"({\rtf1\ansi caf\'e9 \'80 \'9f})", QString::fromUtf16(u"caf\u00E9 \u20AC \u0178")},
        {R"({\rtf1\ansi\ansicpg1251 \'e9\'f2})", QString::fromUtf16(u"\u0439\u0442")},
        {R"({\rtf1 \u8364? \uc2\u233xy! \uc0\u233 ok})",
         QString::fromUtf16(u"\u20AC \u00E9! \u00E9ok")},
        {R"({\rtf1 \u-10179?\u-8704?})", QString::fromUtf16(u"\U0001F600")},
        {R"({\rtf1 \u70000?\u-40000?})", QString::fromUtf16(u"\uFFFD\uFFFD")},
        // A fallback is cut short by the group's end.
        {R"({\rtf1 {\uc3\u233 a}b})", QString::fromUtf16(u"\u00E9b")},
        {R"({\rtf1 {\*\generator Foo;}{\info{\title T}}{\header H\par}{\pict 0a0b}x})", "x"},
        {R"({\rtf1 {\*\unknowndest hidden}{\fldinst HYPERLINK x}{\fldrslt shown}})", "shown"},
        {R"({\rtf1 \foo123 \bar-7 plain})", "plain"},
        {R"({\rtf1 a\bin3 {}}b})", "ab"},
        {R"({\rtf1 a\bin99999)", "a"},
        {R"({\rtf1 truncated \'e)", "truncated "},
        {"}}}unbalanced{{", "unbalanced"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Plain(c.rtf), c.text) << c.rtf;
}

TEST(RtfReader, StylesFontsSizesAndColours) {
    const RichText t = RtfReader::Read(
        R"({\rtf1\deff0{\fonttbl{\f0 Arial;}{\f1\froman{\*\panose 0}Times New Roman;}})"
        R"({\colortbl;\red255\green0\blue0;\red0\green128\blue255;})"
        R"(n {\b b}{\i i}{\ul u\ulnone n}{\f1\fs30 t}{\cf2 c}{\b\i\plain p})"
        R"(\par {\f7 unknown font}})");
    TextStyle bold, italic, underline, times, blue;
    bold.bold = true;
    italic.italic = true;
    underline.underline = true;
    times.font = "Times New Roman";
    times.pointSize = 15;  // \fs30: half points
    blue.coloured = true;
    blue.rgb = 0x0080FF;
    const std::vector<TextRun> expected = {
        {"n ", {}}, {"b", bold},  {"i", italic}, {"u", underline},
        {"n", {}},  {"t", times}, {"c", blue},   {"p", {}},  // \plain undoes \b\i
    };
    EXPECT_EQ(Runs(t, 0), expected);
    // A font the table does not name is no font of its own.
    EXPECT_EQ(Runs(t, 1).at(0).style.font, "");
}

TEST(RtfReader, AWordProcessorsDocument) {
    QFile file(QStringLiteral(QUILLON_TEST_DATA "/wordpad.rtf"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const RichText t = RtfReader::Read(file.readAll());
    EXPECT_EQ(t.PlainText(),
              QString::fromUtf16(u"SCENE 1 - COURTYARD\n"
                                 u"A figure walks in from the left, past the lamp.\n"
                                 u"MAN: \u201CIs anyone here?\u201D \u2013 he asks \u2014 nobody.\n"
                                 u"Caf\u00E9 cr\u00E8me \u20AC 5\nnext line\ttabbed\n"
                                 u"Blue Arial\n"
                                 u"\u4F60\u597D end\n"));
    EXPECT_TRUE(Runs(t, 0).at(0).style.bold);
    EXPECT_DOUBLE_EQ(Runs(t, 0).at(0).style.pointSize, 16.0);
    EXPECT_EQ(Runs(t, 3).at(0).style.font, "Times New Roman");
    EXPECT_EQ(Runs(t, 4).at(0).style.font, "Arial");
    EXPECT_EQ(Runs(t, 4).at(0).style.rgb, 0x004DBBu);
}

TEST(RtfReader, HostileInputEndsAndKeepsWhatItCan) {
    // Ten thousand groups deep, closed or not.
    const QByteArray deep = QByteArray(10000, '{') + "deep" + QByteArray(10000, '}') + "after";
    EXPECT_EQ(Plain("{\\rtf1 " + deep + "}"), "deepafter");
    EXPECT_EQ(Plain(QByteArray(10000, '{') + "open"), "open");
    // A control word with a huge number, thousands of letters, a lone backslash at the end.
    EXPECT_EQ(Plain("{\\rtf1 \\fs99999999999999999999 big \\" + QByteArray(5000, 'x') + " ok\\"),
              "big ok");
    // Every byte value, as text and as "\'hh", in a million-byte document.
    QByteArray noise;
    for (int i = 0; i < 1'000'000; ++i)
        noise += char((int64_t(i) * 7919) % 256);
    const RichText t = RtfReader::Read(noise);
    EXPECT_FALSE(t.paragraphs.empty());
}

TEST(RtfWriter, WritesTheFontAndColourTablesAndEachRunInAGroup) {
    RichText t;
    TextStyle bold;
    bold.bold = true;
    TextStyle red;
    red.coloured = true;
    red.rgb = 0xFF0000;
    red.font = "Courier New";
    red.pointSize = 10.5;
    t.paragraphs = {{{{"Hi {x}\\", {}}, {"bold", bold}}},
                    {{{QString::fromUtf16(u"caf\u00E9\tA\u2028B"), red}}}};
    EXPECT_EQ(RtfWriter::Write(t),
              "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\r\n"
              "{\\fonttbl{\\f0\\fnil Arial;}{\\f1\\fnil Courier New;}}\r\n"
              "{\\colortbl;\\red255\\green0\\blue0;}\r\n"
              "\\pard\\plain\\f0\r\n"
              "{\\f0 Hi \\{x\\}\\\\}{\\f0\\b bold}\\par\r\n"
              "{\\f1\\fs21\\cf1 caf\\u233?\\tab A\\line B}\r\n"
              "}\r\n");
}

TEST(RtfWriter, RoundTripsThroughTheReader) {
    RichText t;
    TextStyle s1, s2, s3;
    s1.italic = s1.underline = true;
    s2.font = "Times New Roman";
    s2.pointSize = 18;
    s2.coloured = true;
    s2.rgb = 0x123456;
    s3.bold = true;
    s3.font = QString::fromUtf16(u"Schrift \u00DC");
    t.paragraphs = {
        {{{"plain ", {}}, {"styled", s1}}},
        {},
        {{{QString::fromUtf16(u"\u05E9\u05DC\u05D5\u05DD \U0001F3AC \u4F60 {}\\"), s2},
          {"x\ty", s3}}},
    };
    EXPECT_EQ(RtfReader::Read(RtfWriter::Write(t)), t);
    // Written again, the same bytes.
    EXPECT_EQ(RtfWriter::Write(RtfReader::Read(RtfWriter::Write(t))), RtfWriter::Write(t));
}

TEST(ScriptFile, ByNameAsRtfOrPlainText) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const RichText typed = RichText::FromPlainText(QString::fromUtf16(
        u"INT. YARD \u2014 DAY\n\n  Indented line\twith tab\n\u00FCber {brace}\n"));
    for (const char* name : {"a.rtf", "b.txt", "c.RTF", "d.rtf.bak", "e"}) {
        const QString path = dir.filePath(name);
        ASSERT_TRUE(WriteScriptFile(path, typed)) << name;
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        // ".rtf" in lower case anywhere in the name: RTF; anything else: the text as typed.
        EXPECT_EQ(bytes.startsWith("{\\rtf1"), IsRtfName(name)) << name;
        if (!IsRtfName(name)) {
            EXPECT_EQ(bytes, typed.PlainText().toUtf8()) << name;
        }
        const auto back = ReadScriptFile(path);
        ASSERT_TRUE(back) << name;
        EXPECT_EQ(back->PlainText(), typed.PlainText()) << name;
    }
    EXPECT_TRUE(IsRtfName("x.rtf"));
    EXPECT_FALSE(IsRtfName("X.RTF"));
    // A ".RTF" file holding RTF is shown as its text, control words and all.
    ASSERT_TRUE(WriteScriptFile(dir.filePath("f.rtf"), typed));
    QFile::rename(dir.filePath("f.rtf"), dir.filePath("f.RTF"));
    EXPECT_TRUE(ReadScriptFile(dir.filePath("f.RTF"))->PlainText().startsWith("{\\rtf1"));
    // Plain text that is not UTF-8 is Windows-1252.
    EXPECT_EQ(DecodePlainText("caf\xe9 \x80\r\nx"), QString::fromUtf16(u"caf\u00E9 \u20AC\nx"));
    EXPECT_FALSE(ReadScriptFile(dir.filePath("missing.txt")));
    EXPECT_FALSE(WriteScriptFile(dir.filePath("no/such/folder.txt"), typed));
}

TEST(ScriptFollowing, LinesAndFramesOverTheScene) {
    // 100 lines over a 300-frame scene: frame 150 puts line 50 at the top; line 25 at the top
    // is frame 75.
    EXPECT_EQ(ScriptLineForFrame(150, 0, 100, 300), 50);
    EXPECT_EQ(ScriptFrameForLine(25, 100, 0, 300), 75);
    EXPECT_EQ(ScriptLineForFrame(299, 0, 100, 300), 99);
    EXPECT_EQ(ScriptFrameForLine(1, 3, 0, 100), 33);  // truncated
    EXPECT_EQ(ScriptFrameForLine(5, 0, 0, 300), -1);  // no lines: nothing happens
    EXPECT_EQ(ScriptLineForFrame(10, 0, 100, 0), 0);
    // The second scene of a show, frames 300 to 600: its own script from its first line.
    EXPECT_EQ(ScriptLineForFrame(300, 300, 100, 300), 0);
    EXPECT_EQ(ScriptLineForFrame(450, 300, 100, 300), 50);
    EXPECT_EQ(ScriptFrameForLine(25, 100, 300, 300), 375);
}

TEST(RtfReader, ControlCharactersAreNoPartOfAFontName) {
    // A tab, NULs and "\tab" inside a font's name (damage the fuzzer found) are left out, so the
    // name writes and reads back the same.
    static const char kRtf[] =
        "{\\rtf1\\deff0{\\fonttbl{\\f0 Arial;}{\\f1 Old\tSt\0\0yle\\tab  Sans;}}\\f1 x}";
    const QByteArray rtf(kRtf, sizeof kRtf - 1);
    const RichText t = RtfReader::Read(rtf);
    ASSERT_FALSE(Runs(t, 0).empty());
    EXPECT_EQ(Runs(t, 0).at(0).style.font, "OldStyle Sans");
    EXPECT_TRUE(RtfReader::Read(RtfWriter::Write(t)) == t);
}
