#pragma once
// The records window: the lifetime tables in five grids on five tabs, the
// lifetime balance and the TOTAL bar under the per-year table. The tables are
// read from "velmo.rcd" (framework/user_files.h says where) when the window is created, updated
// from the open ledger after every change, and written when the ledger is saved.
#include <QWidget>

#include <array>
#include <string>
#include <vector>

#include "framework/string_grid.h"
#include "records/lifetime_calc.h"
#include "records/records_codec.h"

class QLabel;
class QTabWidget;

class TForm5 : public QWidget {
    Q_OBJECT
public:
    static constexpr int kYearGridRows = 10;     // rows of the per-year grid before it grows
    static constexpr int kRankGridRows = 12;     // header, ranks 1..10, one spare row
    static constexpr int kYearLastWidth = 188;   // width of the per-year grid's win-rate column
    static constexpr int kYearGrownWidth = 138;  // its width once a year was added past the last row

    TForm5();
    ~TForm5() override;

    QTabWidget* PageControl1 = nullptr;
    std::array<QWidget*, 5> TabSheet{};  // TabSheet1..TabSheet5
    velmo::StringGrid* StringGrid1 = nullptr;  // per-year table, Tag 0
    velmo::StringGrid* StringGrid2 = nullptr;  // best play records, Tag 1
    velmo::StringGrid* StringGrid3 = nullptr;  // worst play records, Tag 2
    velmo::StringGrid* StringGrid4 = nullptr;  // best months, Tag 3
    velmo::StringGrid* StringGrid5 = nullptr;  // worst months, Tag 4
    QLabel* StaticText1 = nullptr;  // lifetime balance
    QLabel* Label1 = nullptr;       // "ＴＯＴＡＬ"
    QLabel* Label2 = nullptr;       // sum of investments
    QLabel* Label3 = nullptr;       // sum of payouts
    QLabel* Label4 = nullptr;       // sum of balances
    QLabel* Label5 = nullptr;       // lifetime win/loss text

    // The grid of a table by its Tag (0..4).
    velmo::StringGrid* grid(int tag) const;
    // Where the record file is written: beside the program or in the data folder.
    static QString records_path();

    // Loads the file into the tables; runs once, from the constructor.
    void read_records();
    // Writes the tables to the file; a failed write says so and keeps the old file.
    // The tables written become the saved state. A file refused at reading (too
    // large) is never written; one read in part only when the user says so.
    void write_records();
    // When the player declines to save the open ledger: the tables go back to
    // the state they had when read or last written, before the declined changes.
    void restore_saved_state();
    bool file_refused = false;
    bool file_damaged = false;
    // After every change of the open ledger, in this order (they read the
    // main window's year list and monthly summary).
    void update_year_table();
    void update_rankings();

    void form5open();   // on show: disables the main window
    void form5close();  // on close: enables and shows the main window
    void SGrid1Draw(int col, int row, const QRect& rect, velmo::DrawState state);
    void SGrid2Draw(velmo::StringGrid* sender, int col, int row, const QRect& rect, velmo::DrawState state);

    // The tables as their data rows (grid row 1 first).
    std::vector<velmo::TableRow> year_rows() const;
    std::vector<velmo::TableRow> rank_rows(int tag) const;
    velmo::RecordsImage records_image() const;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void build();
    void write_headers();
    void put_year_rows(const std::vector<velmo::TableRow>& rows);
    void put_rank_rows(int tag, const std::vector<velmo::TableRow>& rows);
    void show_lifetime_totals(const velmo::LifetimeSums& sums);
    void show_year_sums(const velmo::LifetimeSums& sums);
    velmo::RecordsImage saved_state_;  // the tables as the saved ledgers give them
};

extern TForm5* Form5;
