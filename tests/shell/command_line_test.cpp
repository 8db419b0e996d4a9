// The program's own options: answered at once, without a display and while
// another instance holds the lock; an unknown option is refused with exit 2.
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "framework/instance_lock.h"
#include "tests/support/private_program.h"

namespace {

TEST(CommandLine, HelpVersionAndUnknownOptions) {
    const velmo::testing::PrivateProgram program;
    ASSERT_FALSE(program.path().isEmpty());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // A platform that does not exist: reaching the windows would end the program with an abort.
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("no-such-platform"));
    env.remove(QStringLiteral("DISPLAY"));
    // The running instance's lock, beside the program's user files, which a start of the program would stop at.
    velmo::InstanceLock running;
    ASSERT_EQ(running.acquire_in(program.folder(), QStringLiteral("velmo")).state, velmo::LockState::Acquired);

    struct Case {
        QStringList args;
        int status;
        const char* out;  // a pattern the whole standard output matches
        const char* err;  // the same for standard error
    };
    const Case cases[] = {
        {{QStringLiteral("--help")}, 0,
         "使い方: velmorant \\[収支ファイル\\.vqd\\]\n(.*\n)*.*--export-csv.*\n(.*\n)*.*「--」の後の引数はすべてファイル名.*\n"
         "(.*\n)*終了コード: 0 正常、1 ファイルの誤り.*\n.*2 コマンドラインの誤り.*\n(.*\n)*", ""},
        {{QStringLiteral("--version")}, 0, "velmorant [0-9]+(\\.[0-9]+)+\n", ""},
        {{QStringLiteral("--help"), QStringLiteral("vq2004.vqd")}, 0, "使い方.*\n(.*\n)*", ""},
        {{QStringLiteral("--no-such-option")}, 2, "", "velmorant: 不明なオプション --no-such-option.*velmorant --help.*\n"},
        {{QStringLiteral("--")}, 2, "", "velmorant: 不明なオプション --（.*\n"},
    };
    for (const Case& c : cases) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(program.path(), c.args);
        ASSERT_TRUE(p.waitForFinished(20000)) << c.args.join(QLatin1Char(' ')).toStdString();
        const QString out = QString::fromUtf8(p.readAllStandardOutput());
        const QString err = QString::fromUtf8(p.readAllStandardError());
        const std::string label = c.args.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << label;
        EXPECT_EQ(p.exitCode(), c.status) << label << "\n" << err.toStdString();
        const QRegularExpression out_re(QRegularExpression::anchoredPattern(QString::fromUtf8(c.out)));
        const QRegularExpression err_re(QRegularExpression::anchoredPattern(QString::fromUtf8(c.err)));
        EXPECT_TRUE(out_re.match(out).hasMatch()) << label << " printed:\n" << out.toStdString();
        EXPECT_TRUE(err_re.match(err).hasMatch()) << label << " said:\n" << err.toStdString();
    }
}

// A start without a display says so in one line and ends with status 1, whether
// no display is named or the one named does not answer.
TEST(CommandLine, NoDisplayIsOneLineAndStatusOne) {
    const velmo::testing::PrivateProgram program;
    ASSERT_FALSE(program.path().isEmpty());
    const QTemporaryDir data;
    QProcessEnvironment env = velmo::testing::program_environment(data.path());
    for (const char* name : {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DISPLAY", "XDG_SESSION_TYPE"})
        env.remove(QString::fromLatin1(name));
    const struct {
        const char* display;  // nullptr: unset
        const char* said;
    } cases[] = {
        {nullptr, "velmorant: ディスプレイを開けません（DISPLAY が設定されていません）\n"},
        {":1997", "velmorant: ディスプレイを開けません（DISPLAY=:1997）\n"},
    };
    for (const auto& c : cases) {
        QProcessEnvironment run = env;
        if (c.display) run.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(c.display));
        QProcess p;
        p.setProcessEnvironment(run);
        p.start(program.path(), {});
        ASSERT_TRUE(p.waitForFinished(20000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << c.said;
        EXPECT_EQ(p.exitCode(), 1) << c.said;
        EXPECT_EQ(QString::fromUtf8(p.readAllStandardError()), QString::fromUtf8(c.said));
        EXPECT_EQ(p.readAllStandardOutput(), QByteArray());
    }
}

}  // namespace
