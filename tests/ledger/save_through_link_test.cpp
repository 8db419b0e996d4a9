// Saving through symbolic links: the file at the end of the links is replaced,
// the links stay links, and the replaced file keeps its permission bits.
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "framework/runtime.h"
#include "ledger/ledger_codec.h"
#include "ledger/registry_file.h"
#include "tests/support/app_fixture.h"

namespace velmo::testing {
namespace {

class SaveThroughLink : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("real")));
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("links")));
    }
    void link(const char* target, const char* at) {
        ASSERT_EQ(::symlink(target, QFile::encodeName(path(QString::fromLatin1(at))).constData()), 0);
    }
    bool is_link(const char* name) const {
        struct stat st {};
        return ::lstat(QFile::encodeName(path(QString::fromLatin1(name))).constData(), &st) == 0 && S_ISLNK(st.st_mode);
    }
    mode_t mode_of(const char* name) const {
        struct stat st {};
        if (::stat(QFile::encodeName(path(QString::fromLatin1(name))).constData(), &st) != 0) return 0;
        return st.st_mode & 07777;
    }
    void set_mode(const char* name, mode_t mode) {
        ASSERT_EQ(::chmod(QFile::encodeName(path(QString::fromLatin1(name))).constData(), mode), 0);
    }
    // Names in a folder, hidden ones too (a temporary file left behind would show).
    QStringList entries(const char* folder) const {
        return QDir(path(QString::fromLatin1(folder))).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                                                QDir::NoDotAndDotDot, QDir::Name);
    }
};

TEST_F(SaveThroughLink, AChainOfRelativeAndAbsoluteLinksReachesTheRealFile) {
    write_bytes(QStringLiteral("real/data.bin"), "old");
    set_mode("real/data.bin", 0640);
    link("../real/data.bin", "links/first");                                       // relative, other folder
    link(QFile::encodeName(path(QStringLiteral("links/first"))).constData(), "second");  // absolute

    ASSERT_TRUE(write_file_atomic(path(QStringLiteral("second")), "new bytes"));
    EXPECT_TRUE(is_link("second"));
    EXPECT_TRUE(is_link("links/first"));
    EXPECT_EQ(read_bytes(QStringLiteral("real/data.bin")), "new bytes");
    EXPECT_EQ(mode_of("real/data.bin"), 0640u);
    // The temporary file was made beside the real file and renamed: nothing is left over.
    EXPECT_EQ(entries("real"), QStringList{QStringLiteral("data.bin")});
    EXPECT_EQ(entries("links"), QStringList{QStringLiteral("first")});

    // A link to a file not yet there creates it; a loop of links is a failed save.
    link("made.bin", "real/to_new");
    ASSERT_TRUE(write_file_atomic(path(QStringLiteral("real/to_new")), "x"));
    EXPECT_TRUE(is_link("real/to_new"));
    EXPECT_EQ(read_bytes(QStringLiteral("real/made.bin")), "x");
    link("loop_b", "loop_a");
    link("loop_a", "loop_b");
    EXPECT_FALSE(write_file_atomic(path(QStringLiteral("loop_a")), "y"));
    EXPECT_FALSE(resolve_save_target(QFile::encodeName(path(QStringLiteral("loop_a"))).toStdString()));
}

TEST_F(SaveThroughLink, TheLedgerAndTheRegistryKeepTheirLinksAndModes) {
    LedgerImage image;
    image.year = "2004";
    image.records.push_back({" 4/4", "", "Old", "M", "", "", "10", "", 0});
    write_bytes(QStringLiteral("real/vq2004.vqd"), encode_ledger(image));
    set_mode("real/vq2004.vqd", 0600);
    link("real/vq2004.vqd", "vq2004.vqd");
    load(path(QStringLiteral("vq2004.vqd")));
    form1->StringGrid1->set_cell(form1->hall_col, 1, "New");
    form1->dirty = 1;
    dialogs.answers = {true};
    form1->save_ledger();

    EXPECT_TRUE(is_link("vq2004.vqd"));
    EXPECT_EQ(mode_of("real/vq2004.vqd"), 0600u);
    DecodedLedger saved;
    ASSERT_EQ(decode_ledger(read_bytes(QStringLiteral("real/vq2004.vqd")), saved), DecodeResult::Ok);
    ASSERT_EQ(saved.last_record, 1);
    bool hall_saved = false;
    for (const LedgerField& f : saved.fields) hall_saved = hall_saved || (f.tag == kTagHall && f.text == "New");
    EXPECT_TRUE(hall_saved);

    // velmo.lst beside the program, linked to a file kept elsewhere.
    Registry reg;
    reg.halls = {"Before"};
    write_bytes(QStringLiteral("real/names.lst"), encode_registry(reg));
    set_mode("real/names.lst", 0604);
    link("real/names.lst", "velmo.lst");
    read_registry();
    form1->hsize_level = 3;
    ASSERT_TRUE(save_registry_file());
    EXPECT_TRUE(is_link("velmo.lst"));
    EXPECT_EQ(mode_of("real/names.lst"), 0604u);
    const Registry back = decode_registry(read_bytes(QStringLiteral("real/names.lst")));
    EXPECT_EQ(back.halls, std::vector<std::string>{"Before"});
    EXPECT_EQ(back.hsize_level, 3);
}

}  // namespace
}  // namespace velmo::testing
