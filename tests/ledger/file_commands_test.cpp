// The File menu: open, new, close, and the association of ledger files.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTabWidget>
#include <QIcon>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include "framework/file_association.h"
#include "framework/widgets.h"
#include "ledger/ledger_codec.h"
#include "ledger/ledger_model.h"
#include "tests/support/app_fixture.h"

namespace velmo::testing {
namespace {

class FileCommands : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        previous_dir = QDir::currentPath();
        QDir::setCurrent(dir.path());  // new ledgers are named in the current directory
    }
    void TearDown() override {
        QDir::setCurrent(previous_dir);
        AppFixture::TearDown();
    }
    std::string ledger(const std::string& year, const std::string& hall) {
        LedgerImage image;
        image.year = year;
        image.records.push_back({" 4/4", "", hall, "M", "", "", "10", "", 0});
        return encode_ledger(image);
    }
    QString previous_dir;
};

TEST_F(FileCommands, OpenAsksToSaveThenLoadsTheChosenFileOrKeepsTheLedger) {
    write_bytes(QStringLiteral("one.vqd"), ledger("2001", "First"));
    write_bytes(QStringLiteral("two.vqd"), ledger("2002", "Second"));
    load(path(QStringLiteral("one.vqd")));
    form1->dirty = 1;
    dialogs.answers = {false};
    dialogs.files = {std::nullopt};
    form1->Open1Click();
    EXPECT_EQ(dialogs.texts(), (std::vector<QString>{u("収支を保存しますか？"), u("収支ﾌｧｲﾙ(*.vqd)|*.vqd")}));
    EXPECT_EQ(form1->year_text, "2001");  // cancelled: the ledger stays

    dialogs.files = {path(QStringLiteral("two.vqd"))};
    form1->PageControl1->setCurrentIndex(2);
    form1->ToolButton3Click();
    EXPECT_EQ(form1->year_text, "2002");
    EXPECT_EQ(form1->StringGrid1->cell(form1->hall_col, 1), "Second");
    EXPECT_EQ(form1->PageControl1->currentWidget(), form1->TabSheet1);
    EXPECT_EQ(form1->StatusBar1->panel_text(2), QStringLiteral("Second TOTAL +10"));
}

TEST_F(FileCommands, NewAsksForAYearUntilItIsOne) {
    write_bytes(QStringLiteral("vq2010.vqd"), ledger("2010", "Old"));
    dialogs.inputs = {QStringLiteral("abc"), QStringLiteral("12345"), QStringLiteral("2010")};
    form1->New1Click();
    ASSERT_EQ(dialogs.shown.size(), 5u);
    EXPECT_EQ(dialogs.shown[0].caption, u("収支ファイル新規作成"));
    EXPECT_EQ(dialogs.shown[0].text, u("半角で年を入力してください"));
    EXPECT_EQ(dialogs.shown[1].text, u("abc は年ではありません"));
    EXPECT_EQ(dialogs.shown[3].text, u("12345 は年ではありません"));
    // The year's file exists in the current directory: loaded without a question.
    EXPECT_EQ(form1->file_name, QStringLiteral("vq2010.vqd"));
    EXPECT_EQ(form1->rec_count, 1);
    EXPECT_EQ(form1->StringGrid1->cell(form1->hall_col, 1), "Old");

    // A year without a file starts empty, again without a question.
    dialogs.shown.clear();
    dialogs.inputs = {QStringLiteral("2011")};
    form1->New1Click();
    EXPECT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(form1->year_text, "2011");
    EXPECT_EQ(form1->rec_count, 0);
    EXPECT_EQ(form1->StringGrid1->cell(form1->hall_col, 1), "");
    EXPECT_EQ(form1->windowTitle(), u("Velmorant  --2011年収支--"));
    EXPECT_EQ(form1->creating_new, 0);

    // Cancel leaves the ledger as it is.
    dialogs.inputs = {std::nullopt};
    form1->New1Click();
    EXPECT_EQ(form1->year_text, "2011");
    EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(FileCommands, CloseSavesOnceAndEnds) {
    write_bytes(QStringLiteral("c.vqd"), ledger("2003", "H"));
    load(path(QStringLiteral("c.vqd")));
    form1->show();
    form1->dirty = 1;
    dialogs.answers = {false};
    form1->Close1Click();
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{u("収支を保存しますか？")});  // asked once, not again on closing
    EXPECT_FALSE(form1->isVisible());
}

TEST(LedgerYearText, OnlyYearsThatFitTheFileHeader) {
    EXPECT_EQ(ledger_year_text("2004"), "2004");
    EXPECT_EQ(ledger_year_text("800"), "0800");
    EXPECT_FALSE(ledger_year_text("0"));
    EXPECT_FALSE(ledger_year_text("-2004"));
    EXPECT_FALSE(ledger_year_text("10000"));
    EXPECT_FALSE(ledger_year_text(" 2004"));
    EXPECT_FALSE(ledger_year_text(""));
}

class Association : public FileCommands {
protected:
    void SetUp() override {
        FileCommands::SetUp();
        qputenv("XDG_DATA_HOME", path(QStringLiteral("data")).toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", path(QStringLiteral("config")).toLocal8Bit());
        qputenv("PATH", "/nonexistent");  // no desktop database tools in the test
    }
    void TearDown() override {
        qunsetenv("XDG_DATA_HOME");
        qunsetenv("XDG_CONFIG_HOME");
        FileCommands::TearDown();
    }
};

TEST_F(Association, WritesTheDesktopFilesOnceHoweverOftenItRuns) {
    const QByteArray saved_path = qgetenv("PATH");
    dialogs.answers = {false};
    form1->kanrenClick();
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{u("vqdﾌｧｲﾙを関連付けますか？")});
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("data/applications/velmorant.desktop"))));

    for (int run = 0; run < 2; ++run) {
        dialogs.shown.clear();
        dialogs.answers = {true};
        form1->kanrenClick();
        EXPECT_EQ(dialogs.shown.back().text, u("関連付けました"));
    }
    const std::string desktop = read_bytes(QStringLiteral("data/applications/velmorant.desktop"));
    EXPECT_NE(desktop.find("MimeType=application/x-velmorant-ledger;"), std::string::npos);
    EXPECT_NE(desktop.find(" %f"), std::string::npos);
    EXPECT_NE(read_bytes(QStringLiteral("data/mime/packages/velmorant.xml")).find("<glob pattern=\"*.vqd\"/>"),
              std::string::npos);
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("data/icons/hicolor/64x64/apps/velmorant.png"))));
    EXPECT_EQ(read_bytes(QStringLiteral("config/mimeapps.list")),
              "[Default Applications]\napplication/x-velmorant-ledger=velmorant.desktop\n");
    qputenv("PATH", saved_path);
}

// Installed by its package (prefix/bin beside prefix/share/applications), the
// program only makes the package's entry the default: no entry of the user's
// hides the package's Japanese one or outlives the package.
TEST_F(Association, AnInstalledProgramOnlyMakesThePackagesEntryTheDefault) {
    const QByteArray saved_path = qgetenv("PATH");
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("usr/share/applications"))));
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("usr/bin"))));
    write_bytes(QStringLiteral("usr/share/applications/velmorant.desktop"), "[Desktop Entry]\n");
    set_program_dir(path(QStringLiteral("usr/bin")));
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("config"))));
    write_bytes(QStringLiteral("config/mimeapps.list"), "[Default Applications]\ntext/plain=editor.desktop\n");
    dialogs.answers = {true};
    form1->kanrenClick();
    EXPECT_EQ(dialogs.shown.back().text, u("関連付けました"));
    EXPECT_EQ(read_bytes(QStringLiteral("config/mimeapps.list")),
              "[Default Applications]\ntext/plain=editor.desktop\napplication/x-velmorant-ledger=velmorant.desktop\n");
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("data"))));
    qputenv("PATH", saved_path);
}

TEST(DesktopExec, ThePathIsOneQuotedArgumentEscapedTwice) {
    EXPECT_EQ(desktop_exec_value(QStringLiteral("/opt/velmorant/velmorant")), QStringLiteral("\"/opt/velmorant/velmorant\" %f"));
    // Inside the quotes ", `, $ and \ take a backslash and % is doubled; then every
    // backslash of the value is doubled, and control characters become escapes.
    EXPECT_EQ(desktop_exec_value(QString::fromUtf8("/a b/\"q\"/$v/`c`/\\w/50%/é\t")),
              QString::fromUtf8("\"/a b/\\\\\"q\\\\\"/\\\\$v/\\\\`c\\\\`/\\\\\\\\w/50%%/é\\t\" %f"));
}

TEST_F(Association, AProgramFolderWithQuotesDollarsBackslashesAndPercentsGivesAValidEntry) {
    const QString folder = path(QStringLiteral("we \"ird` $HOME \\ 100%"));
    ASSERT_TRUE(QDir().mkpath(folder));
    velmo::Association a;
    a.extension = QStringLiteral("vqd");
    a.mime_type = QStringLiteral("application/x-velmorant-ledger");
    a.description = QStringLiteral("ledger");
    a.desktop_name = QStringLiteral("velmorant");
    a.app_name = QStringLiteral("Velmorant");
    a.program = folder + QStringLiteral("/velmorant");
    ASSERT_TRUE(register_association(a, QIcon()));

    const QString entry = path(QStringLiteral("data/applications/velmorant.desktop"));
    const QString text = QString::fromUtf8(QByteArray::fromStdString(read_bytes(QStringLiteral("data/applications/velmorant.desktop"))));
    QString exec;
    for (const QString& line : text.split(QLatin1Char('\n')))
        if (line.startsWith(QStringLiteral("Exec="))) exec = line.mid(5);
    EXPECT_EQ(exec, QStringLiteral("\"") + dir.path() + QStringLiteral("/we \\\\\"ird\\\\` \\\\$HOME \\\\\\\\ 100%%/velmorant\" %f"));

    // The desktop's own checker, where it is installed, accepts the entry.
    const QString validate = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"),
                                                            {QStringLiteral("/usr/bin"), QStringLiteral("/bin")});
    if (validate.isEmpty()) GTEST_SKIP() << "desktop-file-validate is not installed";
    QProcess p;
    p.start(validate, {entry});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QString output = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    EXPECT_EQ(p.exitCode(), 0) << output.toStdString();
    EXPECT_FALSE(output.contains(QStringLiteral("error"))) << output.toStdString();
}

TEST_F(Association, AFolderThatCannotBeWrittenIsReported) {
    write_bytes(QStringLiteral("blocked"), "a file where a folder should be");
    qputenv("XDG_DATA_HOME", path(QStringLiteral("blocked")).toLocal8Bit());
    dialogs.answers = {true};
    form1->kanrenClick();
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[1].kind, QStringLiteral("error"));
    EXPECT_EQ(dialogs.shown[1].text, u(".vqd ファイルの関連付けができません。"));
}

TEST_F(Association, TheMimeDatabaseIsBuiltInAnEmptyDataFolder) {
    // An installed program's association writes no MIME package of its own; the
    // tool still finds the folder it reads and builds the database without a word.
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("update-mime-database"),
                                                        {QStringLiteral("/usr/bin"), QStringLiteral("/bin")});
    if (tool.isEmpty()) GTEST_SKIP() << "update-mime-database is not installed";
    qputenv("PATH", QFileInfo(tool).absolutePath().toLocal8Bit());
    refresh_desktop_databases();
    EXPECT_TRUE(QFileInfo(path(QStringLiteral("data/mime/packages"))).isDir());
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("data/mime/mime.cache"))));
}

TEST(DefaultApplication, ReplacesItsOwnLineAndKeepsTheRest) {
    const QString before = QStringLiteral(
        "[Added Associations]\ntext/plain=editor.desktop;\n[Default Applications]\n"
        "application/x-velmorant-ledger=old.desktop\nimage/png=viewer.desktop\n");
    EXPECT_EQ(with_default_application(before, QStringLiteral("application/x-velmorant-ledger"),
                                       QStringLiteral("velmorant.desktop")),
              QStringLiteral("[Added Associations]\ntext/plain=editor.desktop;\n[Default Applications]\n"
                             "application/x-velmorant-ledger=velmorant.desktop\nimage/png=viewer.desktop\n"));
    EXPECT_EQ(with_default_application(QStringLiteral("[Default Applications]\n[Other]\nx=y\n"),
                                       QStringLiteral("a/b"), QStringLiteral("c.desktop")),
              QStringLiteral("[Default Applications]\na/b=c.desktop\n[Other]\nx=y\n"));
}

}  // namespace
}  // namespace velmo::testing
