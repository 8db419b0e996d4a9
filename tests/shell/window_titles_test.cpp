// Window titles as the window system holds them. On an X server every window
// of the program, and the standard dialogs it opens, is shown and its
// _NET_WM_NAME and WM_NAME are read back with xprop; the program itself is
// started and its main window found the same way. ctest runs these under
// xvfb-run with QT_QPA_PLATFORM=xcb; on any other platform they are skipped.
#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

#include "framework/printer.h"
#include "ledger/ledger_codec.h"
#include "tests/support/app_fixture.h"
#include "tests/support/private_program.h"

namespace velmo::testing {
namespace {

bool on_x_server() { return QGuiApplication::platformName() == QStringLiteral("xcb"); }

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    p.setProcessEnvironment(env);
    p.start(program, args);
    if (!p.waitForFinished(10000)) return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

struct XTitles {
    QString net_wm_name;  // _NET_WM_NAME
    QString wm_name;      // WM_NAME
};

// The two title properties of an X window, as xprop prints them: NAME(TYPE) = "text".
XTitles x_titles(WId window) {
    const QString out = run(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window),
                                                      QStringLiteral("_NET_WM_NAME"), QStringLiteral("WM_NAME")});
    XTitles t;
    static const QRegularExpression line(QStringLiteral("^(_NET_WM_NAME|WM_NAME)\\([A-Z_0-9]+\\) = \"(.*)\"$"),
                                         QRegularExpression::MultilineOption);
    for (auto it = line.globalMatch(out); it.hasNext();) {
        const auto m = it.next();
        (m.captured(1) == QStringLiteral("WM_NAME") ? t.wm_name : t.net_wm_name) = m.captured(2);
    }
    return t;
}

void expect_x_title(QWidget* w, const QString& title) {
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w)) << title.toStdString();
    const XTitles t = x_titles(w->winId());
    EXPECT_EQ(t.net_wm_name, title);
    EXPECT_EQ(t.wm_name, title);
}

// Runs look(dialog) once a modal dialog is up; look must close it.
void when_shown(std::function<void(QWidget*)> look) {
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, look] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        look(modal);
    });
    timer->start(20);
}

class WindowSystem : public AppFixture {
protected:
    void SetUp() override {
        if (!on_x_server()) GTEST_SKIP() << "needs an X server: run under xvfb-run with QT_QPA_PLATFORM=xcb";
        if (QStandardPaths::findExecutable(QStringLiteral("xprop")).isEmpty()) GTEST_FAIL() << "xprop is missing";
        AppFixture::SetUp();
    }
};

TEST_F(WindowSystem, EveryWindowHasExactlyItsOwnTitle) {
    ImagePrinter printer(QSize(2480, 3508));
    form1->year_text = "2004";
    append_record({" 2/3", "H", "M", 10000, 3000, "", "", ""});
    form1->refresh_after_change();
    form1->set_caption_for_year();
    form1->show();
    expect_x_title(form1.get(), u("Velmorant  --2004年収支--"));

    const std::pair<QWidget*, const char*> dialogs_of_the_program[] = {
        {form2.get(), "収支の記入"},
        {form3.get(), "ホール名、機種名登録"},
        {form5.get(), "生涯記録、収支"},
        {form7.get(), "年収支一覧に項目を追加"},
    };
    for (const auto& [w, title] : dialogs_of_the_program) {
        w->show();
        expect_x_title(w, u(title));
        w->hide();
    }
    form1->PrintPreview1Click();
    expect_x_title(form4.get(), u("印刷プレビュー"));
    form4->close();
    form6->show();
    form6->draw_month_graph(2);
    expect_x_title(form6.get(), u("月間収支グラフ   2月TOTAL -7000"));
    form6->close();
}

TEST_F(WindowSystem, StandardDialogsCarryTheProgramsCaptions) {
    form1->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form1.get()));
    ScriptedDialogs* scripted = &dialogs;
    set_dialogs(nullptr);  // the real dialogs
    const std::pair<std::function<void()>, const char*> cases[] = {
        {[] { velmo::dialogs().question(u("削除しますか？")); }, "Velmorant"},
        {[] { velmo::dialogs().message(u("機種名が記入されていません")); }, "Velmorant"},
        {[] { velmo::dialogs().input_number(u("収支ファイル新規作成"), u("半角で年を入力してください"), QString()); },
         "収支ファイル新規作成"},
        {[] { velmo::dialogs().open_file(u("収支ﾌｧｲﾙ(*.vqd)|*.vqd")); }, "開く"},
    };
    for (const auto& [open, title] : cases) {
        XTitles seen;
        when_shown([&seen](QWidget* w) {
            if (QTest::qWaitForWindowExposed(w)) seen = x_titles(w->winId());
            qobject_cast<QDialog*>(w)->reject();
        });
        open();
        EXPECT_EQ(seen.net_wm_name, u(title));
        EXPECT_EQ(seen.wm_name, u(title));
    }
    set_dialogs(scripted);
}

// The program as started: its main window's title has nothing appended.
TEST_F(WindowSystem, TheProgramsMainWindowTitle) {
    write_bytes(QStringLiteral("vq2003.vqd"), [] {
        LedgerImage image;
        image.year = "2003";
        return encode_ledger(image);
    }());
    const PrivateProgram copy;  // its own user files and instance lock
    ASSERT_FALSE(copy.path().isEmpty());
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), path(QStringLiteral("user-data")));
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(dir.path());
    program.start(copy.path(), {path(QStringLiteral("vq2003.vqd"))});
    ASSERT_TRUE(program.waitForStarted());

    // Without a window manager the top-level windows are the root window's children.
    const QString wanted = u("Velmorant  --2003年収支--");
    QString found;
    for (int attempt = 0; attempt < 100 && found.isEmpty(); ++attempt) {
        QTest::qWait(100);
        const QString tree = run(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-children")});
        static const QRegularExpression id(QStringLiteral("^\\s+(0x[0-9a-f]+) "), QRegularExpression::MultilineOption);
        for (auto it = id.globalMatch(tree); it.hasNext();) {
            bool ok = false;
            const WId w = it.next().captured(1).toULongLong(&ok, 16);
            if (!ok) continue;
            const XTitles t = x_titles(w);
            if (t.net_wm_name.startsWith(QStringLiteral("Velmorant  --2003"))) {
                found = t.net_wm_name;
                EXPECT_EQ(t.wm_name, wanted);
            }
        }
    }
    program.kill();
    program.waitForFinished();
    EXPECT_EQ(found, wanted);
}

}  // namespace
}  // namespace velmo::testing
