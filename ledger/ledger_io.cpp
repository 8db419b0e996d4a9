// Loading and saving the year ledger, and clearing it between files.
#include <QCheckBox>
#include <QComboBox>
#include <QCalendarWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

#include <algorithm>
#include <bitset>
#include <vector>

#include "entry/tform2.h"
#include "entry/tform7.h"
#include "framework/cp932.h"
#include "framework/dialogs.h"
#include "framework/runtime.h"
#include "framework/save_dialogs.h"
#include "framework/widgets.h"
#include "ledger/ledger_codec.h"
#include "ledger/ledger_model.h"
#include "ledger/registry_file.h"
#include "records/tform5.h"
#include "shell/tform1.h"

using velmo::from_cp932;

namespace {

using velmo::u;

std::int64_t to_int(const std::string& text) { return velmo::cell_number(text); }

// Writes each field of a ledger file into its cell as the file is decoded: the
// last text the file gives a field is the one kept, as in held_ledger. The year
// list must have been emptied (clear_ledger) before.
class FieldPlacer : public velmo::LedgerFieldReceiver {
public:
    explicit FieldPlacer(TForm1& form) : f_(form) {}

    void head(const velmo::DecodedLedger& file) override {
        f_.year_text = file.year;
        extra_ = file.extra.has_value();
        if (extra_) f_.apply_extra_block(*file.extra);
        // The hidden grid still holds the last ledger's texts: it starts empty.
        f_.StringGrid5->set_row_count(1);
        f_.size_for_records(file.stored_count);
    }

    void field(int record, std::uint8_t tag, std::string_view text) override {
        if (record >= f_.StringGrid5->row_count()) f_.size_for_records(velmo::kMaxRecordNumber);
        velmo::StringGrid& list = *f_.StringGrid1;
        velmo::StringGrid& data = *f_.StringGrid5;
        switch (tag) {
        case velmo::kTagDate: list.set_cell(0, record, std::string(text)); break;
        case velmo::kTagExtra:
            if (extra_) list.set_cell(f_.extra_col, record, std::string(text));
            break;
        case velmo::kTagHall: list.set_cell(f_.hall_col, record, std::string(text)); break;
        case velmo::kTagMachines:
            list.set_cell(f_.machine_col, record, text.empty() ? std::string(" ") : std::string(text));
            break;
        case velmo::kTagDetail: data.set_cell(0, record, std::string(text)); break;
        case velmo::kTagTotals: data.set_cell(1, record, std::string(text)); break;
        case velmo::kTagBalance: list.set_cell(f_.balance_col, record, std::string(text)); break;
        case velmo::kTagComment: data.set_cell(2, record, std::string(text)); break;
        default: add_extension(record, tag, text); break;
        }
    }

    // The record's extension fields, gathered as field() gathers them one by one.
    void extension_run(int record, std::string_view run) override {
        if (record >= f_.StringGrid5->row_count()) f_.size_for_records(velmo::kMaxRecordNumber);
        if (record != pending_record_) flush_extensions();
        pending_record_ = record;
        // The run is framed as the cell keeps it: taken whole unless it gives a tag again.
        std::bitset<256> tags = pending_tags_;
        bool again = false;
        for (std::size_t i = 0; i + 3 <= run.size() && !again; i += 3 + static_cast<std::uint8_t>(run[i + 2])) {
            const auto tag = static_cast<std::uint8_t>(run[i + 1]);
            again = tags.test(tag);
            tags.set(tag);
        }
        if (!again) {
            std::copy(run.begin(), run.end(), pending_.begin() + static_cast<std::ptrdiff_t>(pending_size_));
            pending_size_ += run.size();
            pending_tags_ = tags;
            return;
        }
        for (std::size_t i = 0; i + 3 <= run.size();) {
            const auto tag = static_cast<std::uint8_t>(run[i + 1]);
            const std::size_t n = static_cast<std::uint8_t>(run[i + 2]);
            const std::string_view text = run.substr(i + 3, n);
            i += 3 + n;
            if (pending_tags_.test(tag))
                add_extension(record, tag, text);
            else
                append_extension(tag, text);
        }
    }

    // What the fields alone do not give: a record without machines shows " ",
    // whether the file gave it an empty text or none (a record the file skipped),
    // so that writing it back changes nothing; and the attribute rows, the last
    // entry for each index.
    void finish(const velmo::DecodedLedger& file) {
        flush_extensions();
        for (int r = 1; r <= file.highest_record; ++r)
            if (f_.StringGrid1->cell(f_.machine_col, r).empty()) f_.StringGrid1->set_cell(f_.machine_col, r, " ");
        velmo::StringGrid& attributes = *f_.StringGrid10;
        for (const velmo::AttributeEntry& a : file.attributes) {
            attributes.set_cell(1, a.index, a.columns[0]);
            attributes.set_cell(2, a.index, a.columns[1]);
            attributes.set_cell(3, a.index, a.columns[2]);
            attributes.set_cell(5, a.index, a.columns[3]);
            attributes.set_cell(4, a.index, std::to_string(to_int(a.columns[2]) - to_int(a.columns[1])));
        }
    }

private:
    // A record's extension fields are gathered as they come (a record's fields
    // follow each other in a file) into one buffer, and put into its hidden cell
    // once, when the next record's begin; a tag given twice keeps its last text
    // in its first place. The buffer holds every tag a record can have at its
    // longest, so that no field needs an allocation of its own.
    void add_extension(int record, std::uint8_t tag, std::string_view text) {
        if (!velmo::is_extension_tag(tag)) return;
        if (record != pending_record_) flush_extensions();
        pending_record_ = record;
        text = text.substr(0, velmo::kExtensionTextMax);
        if (pending_tags_.test(tag)) {
            std::string packed(pending_.data(), pending_size_);
            velmo::set_packed_extension(packed, tag, text);
            std::copy(packed.begin(), packed.end(), pending_.begin());
            pending_size_ = packed.size();
            return;
        }
        append_extension(tag, text);
    }
    // A tag the record has not given yet, at the end of the buffer.
    void append_extension(std::uint8_t tag, std::string_view text) {
        pending_tags_.set(tag);
        char* out = pending_.data() + pending_size_;
        out[0] = static_cast<char>(0xFF);
        out[1] = static_cast<char>(tag);
        out[2] = static_cast<char>(text.size());
        std::copy(text.begin(), text.end(), out + 3);
        pending_size_ += 3 + text.size();
    }
    void flush_extensions() {
        if (pending_record_ >= 0 && pending_size_ > 0) {
            velmo::StringGrid& data = *f_.StringGrid5;
            const std::string_view fields(pending_.data(), pending_size_);
            const std::string& held = data.cell(TForm1::kExtensionsCol, pending_record_);
            if (held.empty()) {
                data.set_cell(TForm1::kExtensionsCol, pending_record_, std::string(fields));
            } else {
                // The record's fields came in two runs (a hand-made file): the later texts win.
                std::string packed = held;
                for (const velmo::ExtensionField& e : velmo::unpack_extensions(fields))
                    velmo::set_packed_extension(packed, e.tag, e.text);
                data.set_cell(TForm1::kExtensionsCol, pending_record_, std::move(packed));
            }
        }
        pending_size_ = 0;
        pending_tags_.reset();
        pending_record_ = -1;
    }

    TForm1& f_;
    bool extra_ = false;
    int pending_record_ = -1;
    std::vector<char> pending_ = std::vector<char>(256 * (3 + velmo::kExtensionTextMax));
    std::size_t pending_size_ = 0;
    std::bitset<256> pending_tags_;
};

}  // namespace

void TForm1::clear_ledger() {
    row_mark.fill(0);
    // The rows past 16 go with the new row count; the rest are emptied.
    for (int r = 1; r < std::min(StringGrid1->row_count(), 17); ++r) StringGrid1->clear_row(r);
    StringGrid1->set_row_count(17);
}

void TForm1::reset_for_load() {
    graph_ok = 0;
    machine_summary_ok = 0;
    rec_count = 0;
    dirty = 0;
    hall_col = 2;
    machine_col = 3;
    balance_col = 4;
    total_col = 5;
    extra_col = 255;
    for (int r = 1; r <= 16; ++r)
        for (int c = 1; c <= 5; ++c) StringGrid10->set_cell(c, r, std::string());
    extra_steps = 0;
    Button3->setEnabled(true);

    // The extra values' drop-downs keep their lists until the file is read: a file
    // with the same list leaves them as they are (offer_extra_values).
    if (has_extra == 1)
        for (int r = 1; r < StringGrid6->row_count(); ++r) StringGrid6->set_cell(0, r, std::string());
    has_extra = 0;
    PageControl1->setTabText(PageControl1->indexOf(TabSheet3), u("曜日収支"));
    StringGrid6->hide();
    StringGrid1->set_col_count(6);
    IncomeTuika->setText(u("項目追加"));
}

void TForm1::load_ledger() {
    reset_for_load();

    // A save of the file that did not finish is settled before a byte of it is read.
    velmo::offer_interrupted_save(file_name);
    // Unsaved records of this ledger that a session ended without saving, when the user takes them back.
    std::optional<std::string> restored = on_ledger_opening ? on_ledger_opening(file_name) : std::nullopt;
    velmo::FileRead read;
    if (restored) {
        read.status = velmo::ReadStatus::Ok;
        read.bytes = std::move(*restored);
    } else {
        read = velmo::read_input_file(file_name);
    }
    while (read.status == velmo::ReadStatus::Missing) {
        if (creating_new) break;
        if (velmo::dialogs().question(from_cp932(year_text) + u("年の収支表を新規で作成します"))) break;
        auto chosen = velmo::dialogs().open_file(u("収支ﾌｧｲﾙ(*.vqd)|*.vqd"));
        if (!chosen) break;
        file_name = *chosen;
        velmo::offer_interrupted_save(file_name);
        read = velmo::read_input_file(file_name);
    }
    // What the file was when read, to notice another program rewriting it before a save.
    stamped_file = file_name;
    loaded_stamp = velmo::file_stamp(file_name);

    bool damaged = false;
    if (read.status == velmo::ReadStatus::TooLarge) {
        // No ledger is this large: refused like a file of another format, and nothing is written.
        velmo::dialogs().message(velmo::too_large_message(file_name));
        offer_extra_values({});
        close_for_unreadable_file();
        return;
    }
    if (read.status == velmo::ReadStatus::Missing) {
        // A new ledger: it exists only in memory until it is saved.
        creating_new = 0;
        select_row = 1;
        StaticText1->setText(u("ＴＯＴＡＬ ±0"));
    } else {
        // The fields go from the file's bytes straight into the emptied grids.
        velmo::DecodedLedger file;
        FieldPlacer placer(*this);
        const velmo::DecodeResult result = velmo::decode_ledger(read.bytes, file, placer);
        if (result == velmo::DecodeResult::WrongFormat) {
            velmo::dialogs().message(u("ファイル形式が違います"));
            offer_extra_values({});
            close_for_unreadable_file();
            return;
        }
        read.bytes = std::string();
        damaged = file.damaged();
        // The stored count sizes the grids; rows named by the records themselves always fit.
        // Every record read is kept, whatever the order of the markers: the
        // count reaches the highest record number.
        size_for_records(std::max(file.stored_count, file.highest_record));
        placer.finish(file);
        rec_count = file.highest_record;
        recompute_totals();

        if (rec_count > 0) {
            Form2->set_calendar_date(velmo::calendar_date_in_year(year_text, velmo::today()));
            select_row = rec_count;
        } else {
            select_row = 1;
        }
    }

    // A ledger without the extra column offers no extra values.
    if (has_extra == 0) offer_extra_values({});
    // Headers and views.
    StringGrid2->set_cell(0, 0, year_text + SJ(u8"年"));
    StringGrid3->set_cell(0, 0, year_text + SJ(u8"年"));
    set_caption_for_year();
    StringGrid1->set_cell(hall_col, 0, SJ(u8" ホール名"));
    StringGrid1->set_cell(machine_col, 0, SJ(u8" プレイ機種"));
    StringGrid1->set_cell(balance_col, 0, SJ(u8"収　支 "));
    StringGrid1->set_cell(total_col, 0, SJ(u8"合　計 "));
    refresh_after_load();
    // The comment box and the status bar show the selected record of this ledger,
    // also when the selection stays on the row it was on in the last one.
    const int shown_row = StringGrid1->row();
    StringGrid1->select_row(select_row);
    if (StringGrid1->row() == shown_row) StringGrid1Click();
    apply_width_step();
    apply_height_step();
    // Once, after the load: the next save would make the loss permanent unseen.
    if (damaged) velmo::dialogs().message(velmo::damaged_file_message(file_name));
    // Restored records are not on disk yet: the save question follows as after any change.
    if (restored) {
        dirty |= TForm1::kLedgerChanged;
        ledger_changed();
    }
}

void TForm1::close_for_unreadable_file() {
    closed_by_format_error = true;
    // Queued: the load may run inside an event handler (a drop), which must
    // return before the window goes.
    QMetaObject::invokeMethod(this, [this] { close(); }, Qt::QueuedConnection);
}

void TForm1::offer_extra_values(const QStringList& values) {
    // Loaded values are offered, none chosen.
    velmo::offer_values(*Form7->ComboBox2, values);
    velmo::offer_values(*Form2->ComboBox3, values);
}

void TForm1::apply_extra_block(const velmo::ExtraColumnBlock& block) {
    has_extra = 1;
    StringGrid1->set_col_count(7);
    IncomeTuika->setText(u("項目訂正"));
    Form7->Edit1->setText(from_cp932(block.name));
    extra_steps = static_cast<int>(std::clamp<std::int64_t>(to_int(block.width_text), 0, 21 * 14) / 14);
    Form7->extra_width = extra_steps * 14;
    if (extra_steps + hsize_level > 21) hsize_level = static_cast<std::int8_t>(std::max(0, 21 - extra_steps));

    extra_col = block.col;
    StringGrid1->set_cell(extra_col, 0, block.name);
    for (int c = 6; c >= extra_col + 1; --c) {
        for (std::uint8_t* role : {&hall_col, &machine_col, &balance_col, &total_col})
            if (*role == c - 1) *role = static_cast<std::uint8_t>(c);
        StringGrid1->set_col_width(c, StringGrid1->col_width(c - 1));
    }
    StringGrid1->set_col_width(extra_col, Form7->extra_width);

    Form7->extra_align = block.align;
    Form7->extra_pos_index = block.pos_index;
    Form7->list_count = static_cast<int>(block.list.size());
    Form7->CheckBox1->setChecked(!block.list.empty());
    QStringList values;
    for (size_t i = 0; i < block.list.size(); ++i) {
        values.append(from_cp932(block.list[i]));
        StringGrid6->set_cell(0, static_cast<int>(i) + 1, block.list[i]);
    }
    offer_extra_values(values);
    StringGrid6->show();
    StringGrid6->set_col_width(0, Form7->extra_width);
    StringGrid6->set_cell(1, 0, block.name);
    PageControl1->setTabText(PageControl1->indexOf(TabSheet3), u("曜日収支、") + from_cp932(block.name));
}

void TForm1::size_for_records(int records) {
    StringGrid5->set_row_count(records + 1);
    StringGrid1->set_row_count(records <= 10 ? 18 : records + 8);
}
std::optional<velmo::ExtraColumnBlock> TForm1::extra_block() const {
    if (has_extra != 1) return std::nullopt;
    velmo::ExtraColumnBlock x;
    x.name = Form7->extra_name();
    x.width_text = std::to_string(Form7->extra_width);
    x.col = extra_col;
    x.align = static_cast<std::uint8_t>(Form7->extra_align);
    x.pos_index = static_cast<std::uint8_t>(Form7->extra_pos_index);
    if (Form7->CheckBox1->isChecked())
        for (int i = 0; i < Form7->ComboBox2->count(); ++i) x.list.push_back(velmo::cp932_lossy(Form7->ComboBox2->itemText(i)));
    return x;
}

velmo::LedgerRecord TForm1::record(int row) const {
    velmo::LedgerRecord r;
    r.date = StringGrid1->cell(0, row);
    if (has_extra == 1) r.extra = StringGrid1->cell(extra_col, row);
    r.hall = StringGrid1->cell(hall_col, row);
    r.machines = StringGrid1->cell(machine_col, row);
    r.detail = StringGrid5->cell(0, row);
    r.totals = StringGrid5->cell(1, row);
    r.balance = StringGrid1->cell(balance_col, row);
    r.comment = StringGrid5->cell(2, row);
    r.extensions = velmo::unpack_extensions(StringGrid5->cell(kExtensionsCol, row));
    return r;
}

void TForm1::put_record(int row, const velmo::LedgerRecord& rec) {
    // Every other cell of the year list's row is emptied, as the whole row is replaced.
    for (int c = 0; c < StringGrid1->col_count(); ++c) {
        const std::string* text = nullptr;
        if (c == 0) text = &rec.date;
        else if (c == hall_col) text = &rec.hall;
        else if (c == machine_col) text = &rec.machines;
        else if (c == balance_col) text = &rec.balance;
        else if (has_extra == 1 && c == extra_col) text = &rec.extra;
        StringGrid1->change_cell(c, row, text ? std::string_view(*text) : std::string_view());
    }
    StringGrid5->change_cell(0, row, rec.detail);
    StringGrid5->change_cell(1, row, rec.totals);
    StringGrid5->change_cell(2, row, rec.comment);
    StringGrid5->change_cell(kExtensionsCol, row, velmo::pack_extensions(rec.extensions));
}

velmo::LedgerImage TForm1::ledger_image() const {
    velmo::LedgerImage image;
    image.year = year_text;
    image.extra = extra_block();
    for (int j = 1; j <= rec_count; ++j) {
        velmo::LedgerRecord r = record(j);
        r.mark = row_mark[static_cast<size_t>(j)];
        image.records.push_back(std::move(r));
    }
    for (int j = 1; j <= 16; ++j) {
        if (StringGrid10->cell(1, j).empty()) continue;
        velmo::AttributeEntry a;
        a.index = j;
        a.columns = {StringGrid10->cell(1, j), StringGrid10->cell(2, j), StringGrid10->cell(3, j),
                     StringGrid10->cell(5, j)};
        image.attributes.push_back(std::move(a));
    }
    return image;
}

bool TForm1::save_ledger() {
    bool keep_changed = false;  // a failed write leaves the changes marked
    if (dirty & TForm1::kLedgerChanged) {
        if (velmo::dialogs().question(u("収支を保存しますか？"))) {
            // Another program rewrote the file since it was read: overwrite only when told to.
            // A file that is gone (moved, deleted, its folder renamed) is simply written again.
            const velmo::FileStamp now = velmo::file_stamp(file_name);
            if (file_name == stamped_file && now.exists && now != loaded_stamp &&
                !velmo::dialogs().question(velmo::changed_on_disk_question(file_name)))
                return false;  // the action that asked for the save is cancelled; the changes stay
            if (!velmo::save_with_dialogs(file_name, velmo::encode_ledger(ledger_image()))) {
                // Not written (a read-only file kept, or a failure told with its
                // cause): the changes stay marked so they are offered again.
                keep_changed = true;
            } else {
                stamped_file = file_name;
                loaded_stamp = velmo::file_stamp(file_name);
                if (Form5) Form5->write_records();
            }
        } else if (Form5) {
            // Declined: the lifetime tables go back to what the saved ledgers say.
            Form5->restore_saved_state();
        }
    }
    if (!keep_changed && on_ledger_settled) on_ledger_settled();
    std::uint8_t still_changed = keep_changed ? TForm1::kLedgerChanged : 0;
    // The registry holds the window's steps and the player's settings here (the
    // registry dialog saves its lists itself); a failure is reported and does not
    // hold up the action, and what was not written is written with the next save.
    if (((dirty & TForm1::kStepsChanged) || player_settings().unsaved()) && !velmo::save_registry_file())
        still_changed |= TForm1::kStepsChanged;
    dirty = still_changed;
    return !keep_changed;
}
