// The File menu's CSV commands: the open year written to a CSV file, and the
// records of a CSV file added to the open year.
#include <QFileInfo>
#include <QMenu>
#include <QTabWidget>

#include <algorithm>

#include "framework/dialogs.h"
#include "framework/cp932.h"
#include "framework/runtime.h"
#include "ledger/ledger_codec.h"
#include "ledger/ledger_csv.h"
#include "ledger/ledger_model.h"
#include "shell/tform1.h"

namespace {
using velmo::u;
const char* const kCsvFilter = "CSVファイル|*.csv";
}  // namespace

void TForm1::setup_csv_commands() {
    connect(export_csv_action, &QAction::triggered, this, [this] { csv_export_command(); });
    connect(import_csv_action, &QAction::triggered, this, [this] { csv_import_command(); });
}

void TForm1::csv_export_command() {
    const QString initial = QFileInfo(file_name).absolutePath() + QStringLiteral("/vq") +
                            QString::fromStdString(year_text) + QStringLiteral(".csv");
    const auto chosen = velmo::dialogs().save_file(u(kCsvFilter), initial);
    if (!chosen) return;
    if (velmo::same_file(*chosen, file_name)) {
        velmo::dialogs().message(u("開いている収支ファイルには書き出せません"));
        return;
    }
    const velmo::SaveResult saved = velmo::write_file_atomic(*chosen, velmo::export_csv(velmo::snapshot(ledger_view())));
    if (!saved) {
        velmo::dialogs().message(*chosen + u(" に書き出せませんでした") + velmo::cause_suffix(velmo::save_failure_cause(saved.error)));
        return;
    }
    velmo::dialogs().message(QString::number(rec_count) + u(" 件の記録を書き出しました"));
}

void TForm1::csv_import_command() {
    const auto chosen = velmo::dialogs().open_file(u(kCsvFilter));
    if (!chosen) return;
    const std::optional<std::string> bytes = velmo::read_file(*chosen);
    if (!bytes) {
        velmo::dialogs().message(*chosen + u(" を開けません"));
        return;
    }
    velmo::LedgerImage image = ledger_image();
    velmo::CsvImportTarget target;
    target.year = year_text;
    target.has_extra = image.extra.has_value();
    if (image.extra) target.extra_name = image.extra->name;
    target.rec_count = rec_count;
    target.records = image.records;
    target.ledger_path = file_name;
    target.settings = &player_settings().parts();
    const velmo::CsvImport read = velmo::read_csv_import(*bytes, target);
    if (!read.problems.empty()) {
        velmo::dialogs().message(velmo::csv_problems_message(read.problems, read.problem_count));
        return;
    }
    const int added = static_cast<int>(read.records.size());
    if (!velmo::dialogs().question(velmo::csv_import_question(read))) return;

    const velmo::MergedRecords merged = velmo::merge_in_date_order(std::move(image.records), read.records);
    // The grids grow as they would for the same records entered one by one.
    int list_rows = StringGrid1->row_count();
    for (int k = 1; k <= added; ++k)
        if (rec_count + k > 10) ++list_rows;
    rec_count += added;
    StringGrid1->set_row_count(std::max(list_rows, rec_count + 1));
    StringGrid5->set_row_count(std::max(StringGrid5->row_count() + added, rec_count + 1));
    put_records(merged.records);
    dirty |= TForm1::kLedgerChanged;
    refresh_after_change(merged.added_rows);

    // Show the earliest of the added records.
    const int row = *std::min_element(merged.added_rows.begin(), merged.added_rows.end());
    if (view_flags & TForm1::kCalendarShown) {
        cal_month = static_cast<std::int8_t>(velmo::date_text_month(StringGrid1->cell(0, row)));
        compute_calendar();
        StringGrid1->set_row(row);
    } else {
        if (StringGrid1->row() == row) StringGrid1Click();
        StringGrid1->select_row(row);
    }
    PageControl1->setCurrentWidget(TabSheet1);
}

void TForm1::put_records(const std::vector<velmo::LedgerRecord>& records) {
    for (int j = 1; j <= static_cast<int>(records.size()); ++j) put_record(j, records[static_cast<std::size_t>(j - 1)]);
}
