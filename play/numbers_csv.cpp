#include "play/numbers_csv.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <optional>

#include "framework/command_args.h"
#include "framework/cp932.h"
#include "framework/instance_lock.h"
#include "framework/runtime.h"
#include "framework/user_files.h"
#include "ledger/registry_file.h"

namespace velmo::play {

namespace {

enum Column { kMachine, kKind, kOdds, kMean, kSpread, kSetting, kRatio, kBb, kRb, kBbMedals, kRbMedals, kColumns };

// The text of a number cell in ASCII: full-width forms folded, spaces, a unit
// at its end and thousands separators between digits taken away.
std::string plain_number(const QString& cell) {
    QString t = cell.normalized(QString::NormalizationForm_KC).trimmed();
    for (const QString& unit : {QStringLiteral("%"), QStringLiteral("玉"), QStringLiteral("枚"), QStringLiteral("回")})
        if (t.endsWith(unit)) {
            t.chop(unit.size());
            t = t.trimmed();
            break;
        }
    QString out;
    for (qsizetype i = 0; i < t.size(); ++i) {
        const bool between = i > 0 && i + 1 < t.size() && t[i - 1].isDigit() && t[i + 1].isDigit();
        if (t[i] == QLatin1Char(',') && between) continue;
        if (t[i] == QLatin1Char(' ')) continue;
        out += t[i];
    }
    return out.toStdString();
}

// A probability as 1/x: "319.7", "1/319.7" (full-width too), x in tenths.
std::optional<std::int32_t> read_odds(const QString& cell) {
    std::string t = plain_number(cell);
    if (t.starts_with("1/")) t.erase(0, 2);
    return read_decimal(t, 1, kMaxOdds);
}

QString line_problem(const char* column, const char* what) { return u("列「") + u(column) + u("」") + u(what); }

QString kind_text(Kind kind) { return kind == Kind::Slot ? u("スロット") : u("パチンコ"); }

std::string tenths_text(std::int32_t v) { return std::to_string(v / 10) + "." + std::to_string(v % 10); }
std::string odds_text(std::int32_t v) { return v > 0 ? "1/" + tenths_text(v) : std::string(); }
std::string count_text(std::int32_t v) { return v > 0 ? std::to_string(v) : std::string(); }

}  // namespace

const std::vector<const char*>& numbers_columns() {
    static const std::vector<const char*> columns = {"機種", "種別", "大当たり確率", "平均出玉", "荒さ", "設定",
                                                     "機械割", "BB確率", "RB確率", "BB枚数", "RB枚数"};
    return columns;
}

NumbersImport read_numbers_csv(std::string_view bytes) {
    NumbersImport result;
    auto problem = [&](int line, const QString& reason) {
        ++result.problem_count;
        if (result.problems.size() < static_cast<std::size_t>(kMaxListedProblems)) result.problems.push_back({line, reason});
    };
    CsvOpened file = open_csv(bytes);
    if (!file.problem.isEmpty()) {
        problem(0, file.problem);
        return result;
    }
    CsvLineReader& reader = *file.lines;
    const CsvRow& head = file.head;
    // The header: each column by its name, anywhere; names it does not know are left out.
    std::array<int, kColumns> col;
    col.fill(-1);
    if (!head.error.isEmpty()) problem(head.number, head.error);
    for (std::size_t h = 0; h < head.fields.size(); ++h) {
        const QString name = head.fields[h].normalized(QString::NormalizationForm_KC).trimmed();
        for (int c = 0; c < kColumns; ++c) {
            if (name != u(numbers_columns()[static_cast<std::size_t>(c)]) && !(c == kMachine && name == u("機種名")))
                continue;
            if (col[static_cast<std::size_t>(c)] >= 0)
                problem(head.number, u("列「") + name + u("」が2つ以上あります"));
            col[static_cast<std::size_t>(c)] = static_cast<int>(h);
        }
    }
    for (int c : {kMachine, kKind})
        if (col[static_cast<std::size_t>(c)] < 0)
            problem(head.number, u("列「") + u(numbers_columns()[static_cast<std::size_t>(c)]) + u("」がありません"));
    if (result.problem_count > 0) return result;

    std::map<std::string, std::size_t> index;  // machine → its place in result.machines
    std::map<std::string, int> first_line;
    std::map<std::pair<std::string, int>, int> setting_line;
    CsvRow row;
    while (reader.next(row)) {
        const int line = row.number;
        if (!row.error.isEmpty()) {
            problem(line, row.error);
            continue;
        }
        auto cell = [&](Column c) {
            const int at = col[static_cast<std::size_t>(c)];
            return at >= 0 && static_cast<std::size_t>(at) < row.fields.size()
                       ? formula_unescaped(row.fields[static_cast<std::size_t>(at)]).trimmed()
                       : QString();
        };
        const QString name = cell(kMachine);
        if (name.isEmpty()) {
            problem(line, line_problem("機種", "が空です"));
            continue;
        }
        const std::optional<std::string> machine = to_cp932(name);
        if (!machine) {
            problem(line, u("機種の「") + first_unencodable(name) + u("」は記録できない文字です"));
            continue;
        }
        if (machine->size() > kMaxMachineName || std::any_of(name.begin(), name.end(), [](QChar ch) { return ch.unicode() < 0x20; })) {
            problem(line, u("機種名が") + QString::number(kMaxMachineName) + u("バイトを超えるか、制御文字があります"));
            continue;
        }
        const QString kind_cell = cell(kKind).normalized(QString::NormalizationForm_KC);
        Kind kind = Kind::None;
        if (kind_cell == u("パチンコ") || kind_cell == u("P")) kind = Kind::Pachinko;
        else if (kind_cell == u("スロット") || kind_cell == u("パチスロ") || kind_cell == u("S")) kind = Kind::Slot;
        if (kind == Kind::None) {
            problem(line, line_problem("種別", "はパチンコかスロットにしてください"));
            continue;
        }
        MachineNumbers numbers;
        numbers.machine = *machine;
        numbers.kind = kind;
        bool ok = true;
        // A number cell: empty gives 0 unless it is required; else within 1..max.
        auto number = [&](Column c, int decimals, std::int32_t max, bool required, std::int32_t& out) {
            const QString text = cell(c);
            if (text.isEmpty()) {
                if (required) {
                    problem(line, line_problem(numbers_columns()[static_cast<std::size_t>(c)], "が空です"));
                    ok = false;
                }
                return;
            }
            const auto v = c == kOdds || c == kBb || c == kRb ? read_odds(text) : read_decimal(plain_number(text), decimals, max);
            if (!v || *v > max) {
                problem(line, line_problem(numbers_columns()[static_cast<std::size_t>(c)], "の値が読めないか、範囲を超えています"));
                ok = false;
                return;
            }
            out = *v;
        };
        int setting = 0;
        if (kind == Kind::Pachinko) {
            number(kOdds, 1, kMaxOdds, true, numbers.pachinko.odds);
            number(kMean, 0, kMaxMeanPayout, true, numbers.pachinko.mean_payout);
            number(kSpread, 1, kMaxSpread, false, numbers.pachinko.spread);
        } else {
            std::int32_t s = 0;
            number(kSetting, 0, kSlotSettings, true, s);
            setting = s;
            SlotSetting setting_numbers;
            number(kRatio, 1, kMaxPayoutRatio, false, setting_numbers.payout_ratio);
            number(kBb, 1, kMaxOdds, false, setting_numbers.bb_odds);
            number(kRb, 1, kMaxOdds, false, setting_numbers.rb_odds);
            number(kBbMedals, 0, kMaxMedals, false, setting_numbers.bb_medals);
            number(kRbMedals, 0, kMaxMedals, false, setting_numbers.rb_medals);
            if (ok && setting_numbers.empty()) {
                problem(line, u("設定 ") + QString::number(setting) + u(" の数値がありません"));
                ok = false;
            }
            if (ok) numbers.slot[static_cast<std::size_t>(setting - 1)] = setting_numbers;
        }
        if (!ok) continue;
        // One line per pachinko machine, one per slot machine and setting.
        const auto found = index.find(numbers.machine);
        if (found == index.end()) {
            index.emplace(numbers.machine, result.machines.size());
            first_line.emplace(numbers.machine, line);
            if (kind == Kind::Slot) setting_line.emplace(std::make_pair(numbers.machine, setting), line);
            result.machines.push_back(std::move(numbers));
            continue;
        }
        MachineNumbers& had = result.machines[found->second];
        const QString earlier = QString::number(first_line[numbers.machine]);
        if (had.kind != kind) {
            problem(line, u("機種「") + name + u("」の種別が ") + earlier + u(" 行目と違います"));
        } else if (kind == Kind::Pachinko) {
            problem(line, u("機種「") + name + u("」は ") + earlier + u(" 行目にもあります"));
        } else if (!setting_line.emplace(std::make_pair(numbers.machine, setting), line).second) {
            problem(line, u("機種「") + name + u("」の設定 ") + QString::number(setting) + u(" は ") +
                              QString::number(setting_line[std::make_pair(numbers.machine, setting)]) + u(" 行目にもあります"));
        } else {
            had.slot[static_cast<std::size_t>(setting - 1)] = numbers.slot[static_cast<std::size_t>(setting - 1)];
        }
    }
    if (result.problem_count == 0 && result.machines.empty()) problem(0, u("機種の行がありません"));
    if (result.problem_count > 0) result.machines.clear();
    return result;
}

std::vector<std::string> apply_numbers_import(const NumbersImport& import, MachineNumberTable& all_numbers,
                                           std::vector<std::string>& machines) {
    std::vector<std::string> added;
    for (const MachineNumbers& m : import.machines) {
        std::erase_if(all_numbers.machines, [&](const MachineNumbers& s) { return s.machine == m.machine; });
        set_numbers(all_numbers, m);
        if (std::find(machines.begin(), machines.end(), m.machine) == machines.end()) {
            machines.push_back(m.machine);
            added.push_back(m.machine);
        }
    }
    return added;
}

std::string numbers_text(const MachineNumberTable& all_numbers, const std::vector<std::string>& machines) {
    std::string out;
    for (std::size_t c = 0; c < numbers_columns().size(); ++c) out += (c ? "\t" : "") + std::string(numbers_columns()[c]);
    out += "\n";
    std::vector<const MachineNumbers*> order;
    for (const std::string& name : machines)
        if (const MachineNumbers* s = all_numbers.of(name); s && std::find(order.begin(), order.end(), s) == order.end())
            order.push_back(s);
    for (const MachineNumbers& s : all_numbers.machines)
        if (std::find(order.begin(), order.end(), &s) == order.end()) order.push_back(&s);
    auto line = [&](const MachineNumbers& s, std::vector<std::string> numbers) {
        // A name is printed as the terminal reads it; a tab or line break in it would
        // break the columns, and the registry dialog never lets one in.
        out += from_cp932(s.machine).toStdString() + "\t" + kind_text(s.kind).toStdString();
        for (const std::string& n : numbers) out += "\t" + n;
        out += "\n";
    };
    for (const MachineNumbers* s : order) {
        if (s->kind == Kind::Pachinko) {
            line(*s, {odds_text(s->pachinko.odds), count_text(s->pachinko.mean_payout), tenths_text(s->pachinko.spread), "",
                      "", "", "", "", ""});
            continue;
        }
        for (int i = 0; i < kSlotSettings; ++i) {
            const SlotSetting& n = s->slot[static_cast<std::size_t>(i)];
            if (n.empty()) continue;
            line(*s, {"", "", "", std::to_string(i + 1), n.payout_ratio > 0 ? tenths_text(n.payout_ratio) : "",
                      odds_text(n.bb_odds), odds_text(n.rb_odds), count_text(n.bb_medals), count_text(n.rb_medals)});
        }
    }
    return out;
}

namespace {

constexpr std::string_view kImportUsage = "使い方: velmorant --import-specs スペック.csv";
constexpr std::string_view kPrintUsage = "使い方: velmorant --specs";

// The registry as the user's file holds it; nullopt after a message when it
// cannot be read whole.
std::optional<Registry> user_registry() {
    const QString path = user_file_read_path(QStringLiteral("velmo.lst"));
    const FileRead read = read_input_file(path);
    // No file yet: an empty registry; one that is there but cannot be read is never written over.
    if (read.status == ReadStatus::Missing && !QFileInfo::exists(path)) return Registry{};
    if (read.status != ReadStatus::Ok) {
        command_failure(QString(u("名前登録ファイルを読めません: ") + path).toStdString());
        return std::nullopt;
    }
    Registry reg = decode_registry(read.bytes);
    if (reg.damaged) {
        command_failure(QString(u("名前登録ファイルが壊れています（プログラムを起動して確かめてください）: ") + path).toStdString());
        return std::nullopt;
    }
    return reg;
}

}  // namespace

MachineNumberTable user_machine_numbers() {
    register_numbers_records();
    const FileRead read = read_input_file(user_file_read_path(QStringLiteral("velmo.lst")));
    if (read.status != ReadStatus::Ok) return {};
    return decode_registry(read.bytes).settings.get<MachineNumberTable>();
}

int import_numbers_command(int argc, const char* const* args) {
    CommandArgs cl;
    if (const auto mistake = split_command_args(argc, args, {}, cl)) return command_line_mistake(*mistake, kImportUsage);
    if (cl.files.size() != 1)
        return command_line_mistake(cl.files.empty() ? "CSVファイルがありません" : "CSVファイルは1つだけです", kImportUsage);
    // The registry is the running program's while it runs.
    InstanceLock lock;
    const LockResult locked = lock.acquire(QStringLiteral("velmo"));
    if (locked.state == LockState::Busy)
        return command_failure("Velmorant が起動中です。終了してからもう一度実行してください");
    if (locked.state != LockState::Acquired)
        return command_failure(QString(lock_failure_message(locked)).replace(QLatin1Char('\n'), QString()).toStdString());

    const QString file = QFile::decodeName(cl.files[0].c_str());
    const FileRead csv = read_input_file(file);
    if (csv.status != ReadStatus::Ok)
        return command_failure(QString(u("ファイルを読めません: ") + file).toStdString());
    const NumbersImport import = read_numbers_csv(csv.bytes);
    if (import.problem_count > 0) {
        for (const CsvProblem& p : import.problems)
            std::fprintf(stderr, "velmorant: %s\n",
                         ((p.line > 0 ? QString::number(p.line) + u(" 行目: ") : QString()) + p.reason).toUtf8().constData());
        if (import.problem_count > import.problems.size())
            std::fprintf(stderr, "velmorant: %s\n",
                         (u("ほかに ") + QString::number(import.problem_count - import.problems.size()) + u(" 件")).toUtf8().constData());
        return command_failure(u("スペックは取り込んでいません").toStdString());
    }
    std::optional<Registry> reg = user_registry();
    if (!reg) return 1;
    MachineNumberTable all_numbers = reg->settings.get<MachineNumberTable>();
    const std::size_t before = reg->machines.size();
    const auto added = apply_numbers_import(import, all_numbers, reg->machines);
    // New machines have no attributes.
    if (reg->masks && !added.empty()) reg->masks->resize(before + added.size(), 0);
    reg->settings.set(all_numbers);
    const QString path = user_file_write_path(QStringLiteral("velmo.lst"), true);
    const SaveResult saved = write_file_atomic(path, encode_registry(*reg));
    if (!saved) return command_failure(save_failure_message(path, saved).replace(QLatin1Char('\n'), QString()).toStdString());
    std::printf("%s\n", (QString::number(import.machines.size()) + u(" 機種のスペックを取り込みました（新しい機種 ") +
                         QString::number(added.size()) + u("）"))
                            .toUtf8()
                            .constData());
    return 0;
}

int print_numbers_command(int argc, const char* const* args) {
    CommandArgs cl;
    if (const auto mistake = split_command_args(argc, args, {}, cl)) return command_line_mistake(*mistake, kPrintUsage);
    if (!cl.files.empty()) return command_line_mistake("引数は要りません", kPrintUsage);
    const std::optional<Registry> reg = user_registry();
    if (!reg) return 1;
    const std::string text = numbers_text(reg->settings.get<MachineNumberTable>(), reg->machines);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

}  // namespace velmo::play
