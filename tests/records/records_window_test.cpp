// The records window: reading the file at creation, the updates after ledger
// changes, saving with the ledger, damaged files, and the painters.
#include <QAction>
#include <QImage>
#include <QLabel>
#include <QStyle>

#include <random>

#include "framework/runtime.h"
#include "records/records_codec.h"
#include "tests/support/app_fixture.h"

using namespace velmo::testing;

namespace {

class RecordsWindow : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        form1->year_text = "2004";
    }
    // Appends a play record to the open ledger (dates in order).
    void add(const char* date, const char* hall, int investment, int payout) {
        append_record({date, hall, "M", investment, payout, "", "", ""});
    }
    // A ledger of one record in the given year, entered as the entry dialog does.
    void one_record_year(const std::string& year, int investment, int payout) {
        TForm1& f = *form1;
        for (int r = 1; r <= f.rec_count; ++r) f.StringGrid1->clear_row(r);
        f.rec_count = 0;
        f.year_text = year;
        add(" 6/1", "H", investment, payout);
        f.refresh_after_change();
    }
    void reopen() {
        form5.reset();
        form5 = std::make_unique<TForm5>();
    }
    std::vector<std::string> column(int tag, int col) const {
        std::vector<std::string> out;
        velmo::StringGrid* g = form5->grid(tag);
        for (int r = 1; r < g->row_count() && !g->cell(col, r).empty(); ++r) out.push_back(g->cell(col, r));
        return out;
    }
    // Every cell of the five grids.
    std::vector<std::string> all_cells() const {
        std::vector<std::string> out;
        for (int t = 0; t < 5; ++t) {
            velmo::StringGrid* g = form5->grid(t);
            for (int r = 0; r < g->row_count(); ++r)
                for (int c = 0; c < g->col_count(); ++c) out.push_back(g->cell(c, r));
        }
        return out;
    }
};

}  // namespace

TEST_F(RecordsWindow, WithoutAFileTheTablesAreEmptyAndTheSumsZero) {
    TForm5& w = *form5;
    EXPECT_EQ(w.windowTitle(), u("生涯記録、収支"));
    EXPECT_EQ(w.StringGrid1->row_count(), 10);
    EXPECT_EQ(w.StringGrid1->cell(3, 0), sj(u8"収　支 "));
    EXPECT_EQ(w.StringGrid2->cell(1, 0), sj(u8" 日  付"));
    EXPECT_EQ(w.StringGrid5->cell(1, 0), sj(u8" 年  月"));
    for (int tag = 1; tag <= 4; ++tag) {
        EXPECT_EQ(w.grid(tag)->row_count(), 12);
        EXPECT_EQ(w.grid(tag)->cell(0, 1), "1");
        EXPECT_EQ(w.grid(tag)->cell(0, 10), "10");
        EXPECT_EQ(w.grid(tag)->cell(0, 11), "");
        EXPECT_TRUE(column(tag, 1).empty());
    }
    EXPECT_EQ(w.Label1->text(), u("ＴＯＴＡＬ"));
    EXPECT_EQ(w.Label2->text(), u("0"));
    EXPECT_EQ(w.Label4->text(), u("0"));
    EXPECT_EQ(w.Label5->text(), QString());
    EXPECT_EQ(w.StaticText1->text(), QString());
}

TEST_F(RecordsWindow, ChangesFillEveryTableAndSavingTheLedgerKeepsThem) {
    add(" 3/15", "A", 1000, 6000);  // +5000
    add(" 3/15", "B", 2000, 1000);  // -1000, same play day: the day is won
    add(" 5/2", "C", 3000, 3000);   // 0: enters no ranking
    form1->refresh_after_change();
    TForm5& w = *form5;

    EXPECT_EQ(column(0, 0), std::vector<std::string>{sj(u8"2004年")});
    EXPECT_EQ(w.StringGrid1->cell(1, 1), "6000");
    EXPECT_EQ(w.StringGrid1->cell(2, 1), "10000");
    EXPECT_EQ(w.StringGrid1->cell(3, 1), "4000");
    EXPECT_EQ(w.StringGrid1->cell(4, 1), "4000");
    EXPECT_EQ(w.StringGrid1->cell(5, 1), sj(u8"1勝0敗1分 100％"));
    EXPECT_EQ(w.StaticText1->text(), u("生涯収支 ＋4000"));
    EXPECT_EQ(w.Label3->text(), u("10000"));
    EXPECT_EQ(w.Label5->text(), u("1勝0敗1分 100％"));

    EXPECT_EQ(column(1, 1), std::vector<std::string>{sj(u8"2004/ 3/15")});
    EXPECT_EQ(w.StringGrid2->cell(2, 1), "A");
    EXPECT_EQ(w.StringGrid2->cell(3, 1), "M");
    EXPECT_EQ(w.StringGrid2->cell(4, 1), "1000");
    EXPECT_EQ(w.StringGrid2->cell(5, 1), "6000");
    EXPECT_EQ(w.StringGrid2->cell(6, 1), "5000");
    EXPECT_EQ(column(2, 6), std::vector<std::string>{"-1000"});
    EXPECT_EQ(column(3, 1), std::vector<std::string>{sj(u8"2004年３月")});  // April and May balance 0
    EXPECT_EQ(w.StringGrid4->cell(4, 1), "4000");
    EXPECT_EQ(w.StringGrid4->cell(5, 1), sj(u8"1勝0敗 100％"));
    EXPECT_TRUE(column(4, 1).empty());

    // Saving the ledger writes the record file; the next start shows the same tables.
    form1->file_name = path(u("vq2004.vqd"));
    form1->dirty = 1;
    dialogs.answers = {true};
    form1->save_ledger();
    const std::vector<std::string> before = all_cells();
    const QString total = w.StaticText1->text(), win = w.Label5->text(), sum = w.Label2->text();
    reopen();
    EXPECT_EQ(all_cells(), before);
    EXPECT_EQ(form5->StaticText1->text(), total);
    EXPECT_EQ(form5->Label5->text(), win);
    EXPECT_EQ(form5->Label2->text(), sum);
}

TEST_F(RecordsWindow, DecliningToSaveTheLedgerWritesNoRecords) {
    add(" 3/15", "A", 1000, 6000);
    form1->refresh_after_change();
    form1->file_name = path(u("vq2004.vqd"));
    form1->dirty = 1;
    dialogs.answers = {false};
    form1->save_ledger();
    EXPECT_EQ(read_bytes(u("velmo.rcd")), "<missing>");
    reopen();
    EXPECT_TRUE(column(0, 0).empty());
}

TEST_F(RecordsWindow, AFailedWriteKeepsTheOldFileAndSaysSo) {
    one_record_year("2004", 1000, 3000);
    form5->write_records();
    const std::string old = read_bytes(u("velmo.rcd"));
    ASSERT_EQ(old.substr(0, 2), "vr");
    one_record_year("2005", 1000, 9000);
    velmo::set_write_fault(3);
    form5->write_records();
    velmo::set_write_fault(std::nullopt);
    EXPECT_EQ(read_bytes(u("velmo.rcd")), old);
    ASSERT_FALSE(dialogs.shown.empty());
    EXPECT_EQ(dialogs.shown.back().text, path(u("velmo.rcd")) + u(" に保存できませんでした（ディスクの空きが足りません）"));
}

TEST_F(RecordsWindow, AnEarlierYearGoesOnTopAndDeletingItsLastRecordRemovesIt) {
    one_record_year("2004", 1000, 3000);  // +2000
    one_record_year("2002", 5000, 4000);  // -1000
    EXPECT_EQ(column(0, 0), (std::vector<std::string>{sj(u8"2002年"), sj(u8"2004年")}));
    EXPECT_EQ(column(0, 4), (std::vector<std::string>{"-1000", "1000"}));
    EXPECT_EQ(form5->StaticText1->text(), u("生涯収支 ＋1000"));
    EXPECT_EQ(column(2, 1), std::vector<std::string>{sj(u8"2002/ 6/1")});

    // Delete the only record of 2002 through the menu command.
    form1->StringGrid1->set_row(1);
    dialogs.answers = {true};
    form1->InComeDelete1Click();
    ASSERT_EQ(form1->rec_count, 0);
    EXPECT_EQ(column(0, 0), std::vector<std::string>{sj(u8"2004年")});
    EXPECT_EQ(column(0, 4), std::vector<std::string>{"2000"});
    EXPECT_EQ(form5->StringGrid1->cell(0, 2), "");
    EXPECT_TRUE(column(2, 1).empty());
    EXPECT_EQ(column(1, 1), std::vector<std::string>{sj(u8"2004/ 6/1")});
    EXPECT_EQ(form5->Label5->text(), u("1勝0敗 100％"));
}

TEST_F(RecordsWindow, ElevenYearsGrowThePerYearGrid) {
    for (int y = 2001; y <= 2009; ++y) one_record_year(std::to_string(y), 1000, 1000 + y - 2000);
    EXPECT_EQ(form5->StringGrid1->row_count(), 10);
    EXPECT_EQ(form5->StringGrid1->col_width(5), 188);
    one_record_year("2010", 1000, 1010);
    EXPECT_EQ(form5->StringGrid1->row_count(), 11);
    EXPECT_EQ(form5->StringGrid1->col_width(5), 138);
    one_record_year("2011", 1000, 1011);
    EXPECT_EQ(form5->StringGrid1->row_count(), 12);
    EXPECT_EQ(form5->Label4->text(), u("66"));  // 1 + 2 + ... + 11
    EXPECT_EQ(form5->Label5->text(), u("11勝0敗 100％"));

    form5->write_records();
    reopen();
    EXPECT_EQ(form5->StringGrid1->row_count(), 12);
    EXPECT_EQ(form5->StringGrid1->col_width(5), 188 - form5->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    const std::vector<std::string> years = column(0, 0);
    ASSERT_EQ(years.size(), 11u);
    EXPECT_EQ(years.front(), sj(u8"2001年"));
    EXPECT_EQ(years.back(), sj(u8"2011年"));
    EXPECT_EQ(form5->StringGrid1->cell(4, 11), "66");
    EXPECT_EQ(form5->Label2->text(), u("11000"));
    EXPECT_EQ(form5->Label4->text(), u("66"));
}

TEST_F(RecordsWindow, AFileOfAnotherKindIsToldAndReplacedByTheNextSaveWhenTheUserSays) {
    write_bytes(u("velmo.rcd"), "vq2004" + std::string(40, '\x01'));
    reopen();
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{velmo::damaged_file_message(path(u("velmo.rcd")))});
    EXPECT_EQ(form5->Label2->text(), QString());
    EXPECT_EQ(form5->Label5->text(), QString());
    EXPECT_TRUE(column(0, 0).empty());
    one_record_year("2004", 0, 500);
    dialogs.answers = {true};
    form5->write_records();
    EXPECT_EQ(read_bytes(u("velmo.rcd")).substr(0, 2), "vr");
}

TEST_F(RecordsWindow, DamagedFilesNeverBreakTheTables) {
    for (int y = 2001; y <= 2003; ++y) {
        form1->rec_count = 0;
        form1->year_text = std::to_string(y);
        add(" 1/5", "A", 1000, 4000);
        add(" 2/5", "B", 4000, 1000);
        form1->refresh_after_change();
    }
    form5->write_records();
    const std::string good = read_bytes(u("velmo.rcd"));
    ASSERT_GT(good.size(), 100u);

    std::mt19937 rng(7);
    for (int i = 0; i < 120; ++i) {
        std::string bytes = good;
        if (i % 3 == 0) {
            bytes.resize(2 + rng() % (good.size() - 2));
        } else {
            for (int k = 0; k < 4; ++k) bytes[2 + rng() % (bytes.size() - 2)] = static_cast<char>(rng() & 0xFF);
        }
        write_bytes(u("velmo.rcd"), bytes);
        reopen();
        form5->update_year_table();
        form5->update_rankings();
        dialogs.answers = {true};  // written over when the damage was told
        form5->write_records();
        dialogs.answers.clear();
        // Year rows stay together from row 1; rankings keep at most ten entries and an empty spare row.
        velmo::StringGrid* years = form5->StringGrid1;
        bool gap = false;
        for (int r = 1; r < years->row_count(); ++r) {
            if (years->cell(0, r).empty()) gap = true;
            else ASSERT_FALSE(gap) << "iteration " << i;
        }
        for (int tag = 1; tag <= 4; ++tag)
            for (int c = 0; c < form5->grid(tag)->col_count(); ++c) ASSERT_EQ(form5->grid(tag)->cell(c, 11), "");
        velmo::DecodedRecords again;
        ASSERT_EQ(velmo::decode_records(read_bytes(u("velmo.rcd")), again), velmo::RecordsDecode::Ok);
        EXPECT_TRUE(again.complete);
    }
}

TEST_F(RecordsWindow, TheMenuCommandShowsTheWindowWhileTheMainWindowWaits) {
    form1->show();
    form1->InComeRecord->trigger();
    EXPECT_TRUE(form5->isVisible());
    EXPECT_FALSE(form1->isEnabled());
    form5->close();
    EXPECT_FALSE(form5->isVisible());
    EXPECT_TRUE(form1->isEnabled());
}

TEST_F(RecordsWindow, PerYearCellsAreColouredByBalanceAndRunningTotal) {
    velmo::StringGrid* g = form5->StringGrid1;
    const std::vector<std::string> r1{"2004", "1000", "500", "-500", "-500", ""};
    const std::vector<std::string> r2{"2005", "0", "200", "200", "-300", ""};
    for (int c = 0; c < 6; ++c) {
        g->set_cell(c, 1, r1[static_cast<std::size_t>(c)]);
        g->set_cell(c, 2, r2[static_cast<std::size_t>(c)]);
    }
    g->set_cell(0, 3, "2006");  // balance 0
    const QImage img = g->render_image();
    auto at = [&](int col, int row) {
        const QRect rc = g->cell_rect(col, row);
        return img.pixel(rc.left() + 2, rc.top() + 1);
    };
    EXPECT_EQ(at(0, 0), qRgb(232, 232, 232));  // header shading for an 18-pixel header row, second pixel row
    EXPECT_EQ(at(2, 0), qRgb(232, 232, 232));
    for (int c : {0, 3}) EXPECT_EQ(at(c, 1), qRgb(255, 226, 236));
    EXPECT_EQ(at(4, 1), qRgb(255, 226, 236));
    EXPECT_EQ(at(1, 2), qRgb(224, 240, 255));
    EXPECT_EQ(at(5, 2), qRgb(255, 226, 236));  // the running total decides columns 4 and 5
    EXPECT_EQ(at(2, 3), qRgb(255, 252, 249));
    EXPECT_EQ(at(2, 4), qRgb(255, 252, 249));  // empty row
}

TEST_F(RecordsWindow, RankRowsShadeTowardTheResultColours) {
    for (int tag = 1; tag <= 4; ++tag) {
        velmo::StringGrid* g = form5->grid(tag);
        g->set_cell(1, 1, "x");
        g->set_cell(1, 10, "y");
        const QImage img = g->render_image();
        auto at = [&](int col, int row) {
            const QRect rc = g->cell_rect(col, row);
            return img.pixel(rc.right() - 1, rc.top() + 1);
        };
        const bool best = tag == 1 || tag == 3;
        EXPECT_EQ(at(2, 1), best ? qRgb(179, 213, 255) : qRgb(255, 190, 209)) << tag;
        EXPECT_EQ(at(2, 10), best ? qRgb(224, 240, 255) : qRgb(255, 226, 236)) << tag;
        EXPECT_EQ(at(2, 5), qRgb(255, 252, 249)) << tag;   // no entry in this row
        EXPECT_EQ(at(0, 3), qRgb(224, 224, 224)) << tag;  // rank column: header shading, table of a 16-pixel header
    }
}

// A record file cut short, or not one at all, is told when read, and written
// over only when the user says so.
TEST_F(RecordsWindow, ADamagedFileIsToldAndWrittenOverOnlyWhenTheUserSays) {
    one_record_year("2004", 1000, 3000);
    form5->write_records();
    const std::string whole = read_bytes(u("velmo.rcd"));
    for (const std::string& damaged : {whole.substr(0, whole.size() - 3), std::string("not a record file")}) {
        for (const bool overwrite : {false, true}) {
            write_bytes(u("velmo.rcd"), damaged);
            dialogs.shown.clear();
            reopen();
            EXPECT_EQ(dialogs.texts(), std::vector<QString>{velmo::damaged_file_message(path(u("velmo.rcd")))});
            dialogs.shown.clear();
            dialogs.answers = {overwrite};
            form5->write_records();
            EXPECT_EQ(dialogs.texts(), std::vector<QString>{velmo::overwrite_damaged_question(path(u("velmo.rcd")))});
            EXPECT_EQ(read_bytes(u("velmo.rcd")) == damaged, !overwrite);
            dialogs.shown.clear();
            form5->write_records();
            EXPECT_TRUE(dialogs.shown.empty());
        }
    }
}
