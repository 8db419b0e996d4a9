// Files and systems that work against the program: what is not a regular file,
// files far too large, damaged ledgers, a size limit during a save, leftovers of
// interrupted saves, and a ledger another program rewrote while it was open.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QUrl>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "framework/runtime.h"
#include "ledger/ledger_codec.h"
#include "ledger/registry_file.h"
#include "tests/support/app_fixture.h"

namespace velmo::testing {
namespace {

using HostileFiles = AppFixture;

std::string ledger_bytes(int records, const std::string& comment = "note") {
    LedgerImage image;
    image.year = "2004";
    for (int i = 1; i <= records; ++i) image.records.push_back({" 4/1", "", "H", "M", "", "", "100", comment, 0});
    return encode_ledger(image);
}

// Makes a file of the given size whose first bytes are head (the rest a hole of zeros).
void sparse_file(const QString& file, const std::string& head, off_t size) {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(head.data(), static_cast<qint64>(head.size()));
    f.close();
    ASSERT_EQ(::truncate(QFile::encodeName(file).constData(), size), 0);
}

QStringList folder_entries(const QTemporaryDir& dir) {
    return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                      QDir::Name);
}

TEST_F(HostileFiles, WhatIsNotARegularFileIsNeverOpenedAndCountsAsMissing) {
    const QString fifo = path(QStringLiteral("pipe.vqd"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.vqd")));
    ::alarm(60);  // a reader that waits on the FIFO ends the test instead of hanging it
    EXPECT_EQ(read_input_file(fifo).status, ReadStatus::Missing);
    EXPECT_EQ(read_input_file(QStringLiteral("/dev/zero")).status, ReadStatus::Missing);
    EXPECT_EQ(read_input_file(path(QStringLiteral("folder.vqd"))).status, ReadStatus::Missing);

    // As the ledger (named on the command line or dropped): the new-ledger question.
    for (const char* name : {"pipe.vqd", "folder.vqd"}) {
        dialogs.shown.clear();
        dialogs.answers = {true};
        load(path(QString::fromLatin1(name)));
        EXPECT_EQ(dialogs.texts(), std::vector<QString>{u("2004年の収支表を新規で作成します")}) << name;
        EXPECT_EQ(form1->rec_count, 0);
    }
    // As the name registry: empty lists.
    ASSERT_EQ(::mkfifo(QFile::encodeName(path(QStringLiteral("velmo.lst"))).constData(), 0600), 0);
    dialogs.shown.clear();
    read_registry();
    EXPECT_TRUE(dialogs.shown.empty());
    ::alarm(0);
}

TEST_F(HostileFiles, ReadingStopsAtTheLimitAndReadsExactlyTheFile) {
    write_bytes(QStringLiteral("ten"), "0123456789");
    write_bytes(QStringLiteral("empty"), "");
    const FileRead ten = read_input_file(path(QStringLiteral("ten")), 10);
    EXPECT_EQ(ten.status, ReadStatus::Ok);
    EXPECT_EQ(ten.bytes, "0123456789");
    EXPECT_EQ(read_input_file(path(QStringLiteral("ten")), 9).status, ReadStatus::TooLarge);
    EXPECT_EQ(read_input_file(path(QStringLiteral("empty"))).status, ReadStatus::Ok);
    EXPECT_EQ(read_input_file(path(QStringLiteral("none"))).status, ReadStatus::Missing);
}

TEST_F(HostileFiles, OversizedLedgerIsRefusedByNameAndNothingIsWritten) {
    const QString file = path(QStringLiteral("huge.vqd"));
    const off_t size = static_cast<off_t>(kMaxInputFileBytes) + 1;
    sparse_file(file, ledger_bytes(1), size);
    write_bytes(QStringLiteral("a.vqd"), ledger_bytes(2));
    load(path(QStringLiteral("a.vqd")));
    form1->show();
    dialogs.shown.clear();

    load(file);
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{file + u(" は大きすぎるため読み込めません（64MBまで）。このファイルは変更しません")});
    EXPECT_TRUE(form1->closed_by_format_error);
    QCoreApplication::sendPostedEvents();
    EXPECT_FALSE(form1->isVisible());
    EXPECT_EQ(QFileInfo(file).size(), size);
    EXPECT_EQ(folder_entries(dir), (QStringList{QStringLiteral("a.vqd"), QStringLiteral("huge.vqd")}));
}

TEST_F(HostileFiles, OversizedRegistryAndLifetimeFilesAreRefusedAndNeverOverwritten) {
    const off_t size = static_cast<off_t>(kMaxInputFileBytes) + 5;
    const QString lst = path(QStringLiteral("velmo.lst"));
    const QString rcd = path(QStringLiteral("velmo.rcd"));
    sparse_file(lst, std::string("\x00\x01" "A", 3), size);
    sparse_file(rcd, "vr", size);

    read_registry();
    form5->read_records();
    EXPECT_EQ(dialogs.texts(),
              (std::vector<QString>{lst + u(" は大きすぎるため読み込めません（64MBまで）。このファイルは変更しません"),
                                    rcd + u(" は大きすぎるため読み込めません（64MBまで）。このファイルは変更しません")}));
    EXPECT_EQ(form3->ListBox1->count(), 0);

    // Saving the registry and the lifetime records leaves both files as they were.
    form3->ListBox1->addItem(QStringLiteral("B"));
    form1->dirty = 3;
    dialogs.answers = {true};
    form1->file_name = path(QStringLiteral("new.vqd"));
    EXPECT_TRUE(form1->save_ledger());
    EXPECT_EQ(form1->dirty, 0);
    EXPECT_EQ(QFileInfo(lst).size(), size);
    EXPECT_EQ(QFileInfo(rcd).size(), size);
    QFile head(lst);
    ASSERT_TRUE(head.open(QIODevice::ReadOnly));
    EXPECT_EQ(head.read(3), QByteArray("\x00\x01" "A", 3));
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("new.vqd"))));
}

TEST_F(HostileFiles, AFileSizeLimitDuringASaveIsAReportedFailure) {
    // The child process saves under a limit smaller than the ledger: without the
    // signal ignored it would die of SIGXFSZ.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const QString file = path(QStringLiteral("limit.vqd"));
    write_bytes(QStringLiteral("limit.vqd"), ledger_bytes(1));
    const std::string old = read_bytes(QStringLiteral("limit.vqd"));
    const auto save_under_limit = [&] {
        load(file);
        for (int i = 2; i <= 200; ++i) append_record({" 4/2", "H", "M", 0, 100, "", "", std::string(100, 'c')});
        form1->dirty = 1;
        dialogs.shown.clear();
        dialogs.answers = {true};
        struct rlimit limit {};
        limit.rlim_cur = limit.rlim_max = 4096;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        form1->save_ledger();
        const bool reported = dialogs.texts().back() == file + u(" に保存できませんでした（ファイルの大きさの上限を超えます）");
        const bool kept = read_bytes(QStringLiteral("limit.vqd")) == old && (form1->dirty & 1) &&
                          folder_entries(dir) == QStringList{QStringLiteral("limit.vqd")};
        std::_Exit(reported && kept ? 0 : 1);
    };
    EXPECT_EXIT(save_under_limit(), ::testing::ExitedWithCode(0), "");
}

TEST_F(HostileFiles, ASuccessfulSaveRemovesItsOwnLeftoverTemporaries) {
    const QString file = path(QStringLiteral("vq2004.vqd"));
    write_bytes(QStringLiteral("vq2004.vqd"), ledger_bytes(1));
    // Leftovers of interrupted saves of this file and of another one, and names that only look alike.
    for (const char* name : {".vq2004.vqd.a1B2c3", ".vq2004.vqd.ZZZZZZ", ".vq2004.vqd.abc", ".vq2004.vqd.abc-12",
                             ".vq2004.vqd.abcdefg", ".vq2005.vqd.a1B2c3", "vq2004.vqd.a1B2c3"})
        write_bytes(QString::fromLatin1(name), std::string(2000, 'x'));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral(".vq2004.vqd.Dir123")));
    ASSERT_TRUE(QFile::link(path(QStringLiteral("vq2004.vqd")), path(QStringLiteral(".vq2004.vqd.Lnk123"))));

    load(file);
    form1->dirty = 1;
    dialogs.answers = {true};
    EXPECT_TRUE(form1->save_ledger());
    EXPECT_EQ(folder_entries(dir),
              (QStringList{QStringLiteral(".vq2004.vqd.Dir123"), QStringLiteral(".vq2004.vqd.Lnk123"),
                           QStringLiteral(".vq2004.vqd.abc"), QStringLiteral(".vq2004.vqd.abc-12"),
                           QStringLiteral(".vq2004.vqd.abcdefg"), QStringLiteral(".vq2005.vqd.a1B2c3"),
                           QStringLiteral("velmo.rcd"), QStringLiteral("vq2004.vqd"),
                           QStringLiteral("vq2004.vqd.a1B2c3")}));

    // A failed save removes nothing but its own temporary file.
    write_bytes(QStringLiteral(".vq2004.vqd.q9Q9q9"), "left");
    form1->dirty = 1;
    dialogs.answers = {true};
    set_write_fault(10);
    form1->save_ledger();
    set_write_fault(std::nullopt);
    EXPECT_TRUE(QFile::exists(path(QStringLiteral(".vq2004.vqd.q9Q9q9"))));
}

TEST_F(HostileFiles, ADamagedLedgerLoadsWhatCanBeReadAndSaysSoOnce) {
    const std::string whole = ledger_bytes(3);
    struct Case {
        const char* name;
        std::string bytes;
        bool damaged;
    };
    std::string bad_number = whole;
    bad_number[bad_number.find(std::string("\xFF\xFF\x00\x02", 4)) + 2] = '\x7F';  // record 0x7F02
    const Case cases[] = {
        {"whole.vqd", whole, false},
        {"cut.vqd", whole.substr(0, whole.size() - 20), true},
        {"tail.vqd", whole + "garbage", true},
        {"lead.vqd", whole.substr(0, whole.size() - 1) + "\x01", true},
        {"number.vqd", bad_number, true},
    };
    for (const Case& c : cases) {
        dialogs.shown.clear();
        const QString file = path(QString::fromLatin1(c.name));
        write_bytes(QString::fromLatin1(c.name), c.bytes);
        load(file);
        const std::vector<QString> expected =
            c.damaged ? std::vector<QString>{file + u(" の一部を読み込めませんでした（ファイルが壊れています）")}
                      : std::vector<QString>{};
        EXPECT_EQ(dialogs.texts(), expected) << c.name;
        EXPECT_GE(form1->rec_count, 2) << c.name;  // what could be read is there
        EXPECT_EQ(form1->dirty, 0);
    }
}

TEST(LedgerDamage, OnlyWhatNoWriterProducesCountsAsDamage) {
    LedgerImage image;
    image.year = "2004";
    image.extra = ExtraColumnBlock{"x", "28", 3, 1, 1, {"a", "b"}};
    image.records.push_back({" 1/1", "a", "H", "M", std::string(2025, 'd'), "", "5", std::string(2025, 'c'), 1});
    image.attributes.push_back({16, {"n", "1", "2", "3"}});
    const std::string good = encode_ledger(image);
    DecodedLedger d;
    ASSERT_EQ(decode_ledger(good, d), DecodeResult::Ok);
    EXPECT_FALSE(d.damaged());

    auto damaged = [](std::string bytes) {
        DecodedLedger out;
        return decode_ledger(bytes, out) == DecodeResult::Ok && out.damaged();
    };
    std::string col = good;
    col[13 + 2 + 3] = 9;  // extra column index outside 2..6 (after the name and width texts)
    EXPECT_TRUE(damaged(col));
    std::string attribute = good;
    attribute[attribute.rfind(std::string("\xFF\x30\x10", 3)) + 2] = 17;
    EXPECT_TRUE(damaged(attribute));
    // A field before any record marker.
    std::string before = std::string("vq20042000000") + std::string("\x00\x00\xFF\x01\x01H\x00", 7);
    EXPECT_TRUE(damaged(before));
    // A comment longer than a reader keeps.
    std::string longer = std::string("vq20042000000") + std::string("\x00\x01\xFF\xFF\x00\x01\xFF\x10\x08\x00", 10) +
                         std::string(2048, 'c') + std::string(1, '\0');
    EXPECT_TRUE(damaged(longer));
}

TEST_F(HostileFiles, ALedgerChangedOnDiskIsOverwrittenOnlyWhenTheUserSaysSo) {
    const QString file = path(QStringLiteral("shared.vqd"));
    write_bytes(QStringLiteral("shared.vqd"), ledger_bytes(1));
    load(file);
    append_record({" 4/3", "H", "M", 0, 50, "", "", ""});
    form1->recompute_totals();
    form1->dirty = 1;
    form1->show();

    // Another program rewrites the file: No to overwriting keeps the window and its changes.
    const std::string theirs = ledger_bytes(3);
    write_bytes(QStringLiteral("shared.vqd"), theirs);
    dialogs.shown.clear();
    dialogs.answers = {true, false};
    form1->close();
    const QString changed = file + u(" は読み込んだ後にほかのプログラムで変更されています。上書きしますか？");
    EXPECT_EQ(dialogs.texts(), (std::vector<QString>{u("収支を保存しますか？"), changed}));
    EXPECT_TRUE(form1->isVisible());
    EXPECT_EQ(form1->dirty & 1, 1);
    EXPECT_EQ(form1->rec_count, 2);
    EXPECT_EQ(read_bytes(QStringLiteral("shared.vqd")), theirs);

    // The same for the other actions that save first: nothing else happens.
    dialogs.shown.clear();
    dialogs.answers = {true, false, true, false, true, false};
    form1->SpeedButton3Click();
    form1->New1Click();
    form1->WMDropFiles({QUrl::fromLocalFile(path(QStringLiteral("other.vqd")))});
    EXPECT_EQ(dialogs.texts(), (std::vector<QString>{u("収支を保存しますか？"), changed, u("収支を保存しますか？"), changed,
                                                     u("収支を保存しますか？"), changed}));
    EXPECT_EQ(form1->file_name, file);
    EXPECT_EQ(form1->rec_count, 2);

    // Yes overwrites; a second save of the program's own file asks nothing more.
    dialogs.shown.clear();
    dialogs.answers = {true, true, true};
    EXPECT_TRUE(form1->save_ledger());
    form1->dirty = 1;
    EXPECT_TRUE(form1->save_ledger());
    EXPECT_EQ(dialogs.texts(), (std::vector<QString>{u("収支を保存しますか？"), changed, u("収支を保存しますか？")}));
    DecodedLedger saved;
    ASSERT_EQ(decode_ledger(read_bytes(QStringLiteral("shared.vqd")), saved), DecodeResult::Ok);
    EXPECT_EQ(saved.last_record, 2);

    // A rewrite of the same size is seen by its modification time.
    std::string same = read_bytes(QStringLiteral("shared.vqd"));
    same[same.size() - 3] ^= 1;
    write_bytes(QStringLiteral("shared.vqd"), same);
    const struct timespec times[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(file).constData(), times, 0), 0);
    dialogs.shown.clear();
    dialogs.answers = {true, false};
    form1->dirty = 1;
    EXPECT_FALSE(form1->save_ledger());
    EXPECT_EQ(dialogs.texts(), (std::vector<QString>{u("収支を保存しますか？"), changed}));
}

}  // namespace
}  // namespace velmo::testing
