// quillon-cli boards, caption and shotlist without a display, on the demo show: the entries
// kept in time order and saved, the PDF read back with pdftotext (captions, timecodes, page
// numbers, title) and pdftoppm (a picture in every image box that has an entry), the shot
// list's rows, and broken input and unwritable output refused or survived.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>

#include "CliRun.h"
#include "model/ShowFile.h"

using namespace quillon;
using namespace quillon::testing;

namespace {

class BoardsCliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_EQ(Cli({"make-demo", Path("demo")}).status, 0);
    }
    CliRun Cli(const QStringList& args) { return RunCli(Path("profile.ini"), args); }
    QString Path(const QString& name) const { return dir.filePath(name); }
    QString Show() const { return Path("demo/demo.shw"); }

    // Replaces the show's entries as they would be after any edit (the file holds them).
    void SetEntries(const std::vector<std::string>& entries) {
        ShowFileContents show;
        ASSERT_EQ(ReadShowFile(Show().toStdString(), show), ShowReadResult::Ok);
        ASSERT_TRUE(WriteShowFile(Show().toStdString(), *show.root, entries));
    }
    QJsonObject Boards(const QStringList& options, const QString& out = "b.pdf") {
        const CliRun r = Cli(QStringList{"boards", Show(), "-o", Path(out)} + options);
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
        return QJsonDocument::fromJson(r.out).object();
    }
    static QString Tool(const QString& program, const QStringList& args) {
        QProcess p;
        p.start(program, args);
        EXPECT_TRUE(p.waitForFinished(60000)) << program.toStdString();
        EXPECT_EQ(p.exitCode(), 0) << program.toStdString();
        return QString::fromUtf8(p.readAllStandardOutput());
    }
    QString PdfText(const QString& pdf) { return Tool("pdftotext", {"-layout", pdf, "-"}); }
    // Page p of the PDF at 30 dots per inch: a tenth of the 300-dpi device pixels.
    QImage PdfPage(const QString& pdf, int p) {
        Tool("pdftoppm", {"-r", "30", "-png", "-f", QString::number(p), "-l", QString::number(p),
                          pdf, Path("page")});
        const QStringList made = QDir(dir.path()).entryList({"page-*.png"});
        EXPECT_EQ(made.size(), 1);
        QImage image(made.isEmpty() ? QString() : Path(made.front()));
        for (const QString& f : made)
            QFile::remove(Path(f));
        return image;
    }
    // Whether the inside of box (in 300-dpi device pixels) holds a picture: its grey levels
    // spread, where an empty box is page white.
    static bool HasPicture(const QImage& page, QRect box300) {
        const QRect box(box300.x() / 10 + 2, box300.y() / 10 + 2, box300.width() / 10 - 4,
                        box300.height() / 10 - 4);
        double sum = 0, sum2 = 0;
        int n = 0;
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x) {
                const int g = qGray(page.pixel(x, y));
                sum += g;
                sum2 += double(g) * g;
                ++n;
            }
        const double mean = sum / n;
        return std::sqrt(sum2 / n - mean * mean) > 6.0 || mean < 200.0;
    }
    QTemporaryDir dir;
};

// The four image boxes of a letter page at 300 dpi with the dialog's defaults (2 per row).
const QRect kBoxes[] = {
    {85, 170, 1147, 860}, {1317, 170, 1147, 860}, {85, 1443, 1147, 860}, {1317, 1443, 1147, 860}};

}  // namespace

TEST_F(BoardsCliTest, CaptionEntriesStayInTimeOrderOnceEachAndAreSaved) {
    const QStringList steps[] = {{"--add", "0:03:00", "--text", "Crate falls"},
                                 {"--add", "00:00:01:00", "--text", "Lamp"},
                                 {"--add", "2:00"},
                                 {"--add", "1:00", "--text", "Lamp, \"post\""},
                                 {"--add", "0:03:00"},
                                 {"--remove", "2:00"}};
    for (const QStringList& s : steps) {
        const CliRun r = Cli(QStringList{"caption", Show()} + s);
        ASSERT_EQ(r.status, 0) << s.join(' ').toStdString() << r.err.toStdString();
    }
    const CliRun list = Cli({"caption", Show(), "--list"});
    ASSERT_EQ(list.status, 0);
    EXPECT_EQ(
        list.out,
        "{\"timecode\": \"00:00:01:00\", \"frame\": 30, \"caption\": \"Lamp, \\\"post\\\"\"}\n"
        "{\"timecode\": \"00:00:03:00\", \"frame\": 90, \"caption\": \"Crate falls\"}\n");
    ShowFileContents show;
    ASSERT_EQ(ReadShowFile(Show().toStdString(), show), ShowReadResult::Ok);
    EXPECT_EQ(show.captions,
              (std::vector<std::string>{"00:00:01:00Lamp, \"post\"", "00:00:03:00Crate falls"}));

    const QStringList refused[] = {{"--add", "09:00:00:00"}, {"--add", "abc"},
                                   {"--remove", "0:07:00"},  {"--list", "--add", "1:00"},
                                   {"--text", "orphan"},     {}};
    for (const QStringList& r : refused)
        ExpectOneLineError(Cli(QStringList{"caption", Show()} + r), r);
}

TEST_F(BoardsCliTest, PdfHoldsCaptionsTimecodesPagesAndAPictureInEveryBox) {
    SetEntries({"00:00:01:00Lamp post", "00:00:02:00Figure crosses", "00:00:03:00Crate falls",
                "00:00:04:00Tree sways", "00:00:05:00Shed door"});
    const QJsonObject layout = Boards({"--title", "Street Scene"});
    const QJsonObject expected{{"pages", 2},         {"framesPerPage", 4}, {"cellsPerPage", 4},
                               {"margin", 85},       {"gap", 85},          {"imageWidth", 1147},
                               {"imageHeight", 860}, {"pageWidth", 2550},  {"pageHeight", 3300}};
    EXPECT_EQ(layout, expected);
    const QString text = PdfText(Path("b.pdf"));
    for (const char* line : {"00:00:01:00 Lamp post", "00:00:02:00 Figure crosses",
                             "00:00:05:00 Shed door", "Page 1 of 2", "Page 2 of 2", "Street Scene"})
        EXPECT_TRUE(text.contains(line)) << line << "\n" << text.toStdString();
    EXPECT_EQ(text.count("Street Scene"), 2);
    const QImage first = PdfPage(Path("b.pdf"), 1);
    ASSERT_EQ(first.size(), QSize(255, 330));
    for (const QRect& box : kBoxes)
        EXPECT_TRUE(HasPicture(first, box)) << box.x() << "," << box.y();
    const QImage second = PdfPage(Path("b.pdf"), 2);
    EXPECT_TRUE(HasPicture(second, kBoxes[0]));
    EXPECT_FALSE(HasPicture(second, kBoxes[1]));

    // Without the timecode the captions stand alone; without captions no text but the footer.
    Boards({"--timecode", "off"}, "t.pdf");
    EXPECT_FALSE(PdfText(Path("t.pdf")).contains("00:00:01:00"));
    Boards({"--captions", "off"}, "c.pdf");
    const QString bare = PdfText(Path("c.pdf"));
    EXPECT_FALSE(bare.contains("Lamp post"));
    EXPECT_TRUE(bare.contains("Page 1 of 1"));  // shorter rows: three fit a page
}

TEST_F(BoardsCliTest, OptionsChangeTheLayout) {
    SetEntries({"00:00:01:00a", "00:00:02:00b", "00:00:03:00c"});
    // Letter at 200 dpi, 4 per row with blocking: a row holds two frames with their diagrams.
    const QJsonObject l = Boards({"--per-row", "4", "--blocking", "on", "--dpi", "200"});
    EXPECT_EQ(l["pageWidth"].toInt(), 1700);
    EXPECT_EQ(l["pageHeight"].toInt(), 2200);
    EXPECT_EQ(l["margin"].toInt(), 56);
    EXPECT_EQ(l["gap"].toInt(), 28);
    EXPECT_EQ(l["imageWidth"].toInt(), 376);
    EXPECT_EQ(l["imageHeight"].toInt(), 282);
    EXPECT_EQ(l["framesPerPage"].toInt(), 10);
    EXPECT_EQ(l["pages"].toInt(), 1);
    // A4 is narrower than letter.
    EXPECT_LT(Boards({"--page", "a4"})["pageWidth"].toInt(), 2550);
    const QStringList refused[] = {{"--per-row", "3"}, {"--images", "yes"}, {"--dpi", "20"},
                                   {"--page", "a5"},   {"--dpi", "x"},      {"--colour", "on"}};
    for (const QStringList& r : refused) {
        ExpectOneLineError(Cli(QStringList{"boards", Show(), "-o", Path("r.pdf")} + r), r);
        EXPECT_FALSE(QFile::exists(Path("r.pdf")));
    }
}

TEST_F(BoardsCliTest, BrokenEntriesAndMissingFilesStillPrint) {
    const std::string hebrew = "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D \xD7\xA2\xD7\x95\xD7\x9C\xD7\x9D";
    const std::string emoji = "\xF0\x9F\x8E\xAC\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9 take";
    SetEntries({"00:00:01:00" + std::string(5000, 'w'), "00:00:02:00" + hebrew,
                "00:00:03:00" + emoji, "hello", "09:00:00:00beyond the show"});
    // The set of the second scene and one actor's picture are gone.
    ASSERT_TRUE(QFile::remove(Path("demo/shed.set")));
    ASSERT_TRUE(QFile::remove(Path("demo/figure.png")));
    const CliRun r = Cli({"boards", Show(), "-o", Path("b.pdf"), "--blocking", "on"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("warning")) << r.err.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(r.out).object()["pages"].toInt(), 3);
    const QString text = PdfText(Path("b.pdf"));
    EXPECT_TRUE(text.contains("...")) << text.toStdString();
    EXPECT_TRUE(text.contains("beyond the show"));
    EXPECT_TRUE(text.contains("Page 3 of 3"));

    // No entries: one page with only its footer.
    SetEntries({});
    EXPECT_EQ(Boards({})["pages"].toInt(), 1);
    EXPECT_TRUE(PdfText(Path("b.pdf")).contains("Page 1 of 1"));
    EXPECT_FALSE(HasPicture(PdfPage(Path("b.pdf"), 1), kBoxes[0]));
}

TEST_F(BoardsCliTest, UnwritableOutputLeavesNoPdfAndTheOldFileWhole) {
    SetEntries({"00:00:01:00a"});
    ExpectOneLineError(Cli({"boards", Show(), "-o", Path("no/such/folder/b.pdf")}));
    QDir(dir.path()).mkdir("locked");
    QFile::setPermissions(Path("locked"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    if (!QFile(Path("locked/probe")).open(QIODevice::WriteOnly)) {  // not when run as root
        ExpectOneLineError(Cli({"boards", Show(), "-o", Path("locked/b.pdf")}));
        EXPECT_TRUE(QDir(Path("locked")).isEmpty());
    }
    // A run that fails after the output is opened leaves the old file as it was.
    QFile old(Path("old.pdf"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    ExpectOneLineError(Cli({"boards", Path("missing.shw"), "-o", Path("old.pdf")}));
    QFile back(Path("old.pdf"));
    ASSERT_TRUE(back.open(QIODevice::ReadOnly));
    EXPECT_EQ(back.readAll(), "old");
    EXPECT_EQ(QDir(dir.path()).entryList({"old.pdf*"}, QDir::Files | QDir::Hidden).size(), 1);
}

TEST_F(BoardsCliTest, ShotListHasOneQuotedRowPerEntry) {
    SetEntries({"00:00:01:00Lamp, \"post\"", "00:00:03:00Crate\xC3\xA9", "09:00:00:00far"});
    ASSERT_EQ(Cli({"shotlist", Show(), "-o", Path("s.csv")}).status, 0);
    QFile f(Path("s.csv"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> rows = f.readAll().split('\n');
    ASSERT_EQ(rows.size(), 5);  // header, three rows, nothing after the last line break
    EXPECT_EQ(rows[0],
              "number,timecode,frame,scene,sceneName,camera,lensAngle,durationFrames,"
              "durationTimecode,caption\r");
    EXPECT_TRUE(rows[1].startsWith("1,00:00:01:00,30,0,")) << rows[1].toStdString();
    EXPECT_TRUE(rows[1].endsWith(",60,00:00:02:00,\"Lamp, \"\"post\"\"\"\r"))
        << rows[1].toStdString();
    EXPECT_TRUE(rows[2].startsWith("2,00:00:03:00,90,0,")) << rows[2].toStdString();
    EXPECT_TRUE(rows[2].endsWith(",Crate\xC3\xA9\r")) << rows[2].toStdString();
    EXPECT_EQ(rows[3], "3,09:00:00:00,972000,,,,,0,00:00:00:00,far\r");
    EXPECT_EQ(rows[4], "");
    ExpectOneLineError(Cli({"shotlist", Show(), "-o", Path("no/such/s.csv")}));
}

TEST_F(BoardsCliTest, AThousandEntriesPrintInBoundedMemory) {
    std::vector<std::string> entries;
    for (int i = 0; i < 1000; ++i)
        entries.push_back(QString("00:00:%1:%2entry %3")
                              .arg(i / 30 % 10, 2, 10, QChar('0'))
                              .arg(i % 30, 2, 10, QChar('0'))
                              .arg(i)
                              .toStdString());
    SetEntries(entries);
    const QJsonObject l = Boards({"--dpi", "72", "--blocking", "on"});
    EXPECT_EQ(l["pages"].toInt(), 1000 / l["cellsPerPage"].toInt() + 1);
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    EXPECT_LT(usage.ru_maxrss, 800 * 1024) << "kilobytes";
}
