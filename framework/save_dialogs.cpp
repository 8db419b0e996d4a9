#include "framework/save_dialogs.h"

#include <QDateTime>
#include <QFileInfo>

#include "framework/dialogs.h"
#include "framework/runtime.h"

namespace velmo {

namespace {

QString u8(const char* text) { return QString::fromUtf8(text); }

// A name beside the file that does not exist yet: the file's own name, a word
// for what it holds and the time, counted up when taken.
QString unused_name(const QString& path, const char* what) {
    const QString stem = QFileInfo(path).absoluteFilePath() + QLatin1Char('.') + QLatin1String(what) + QLatin1Char('-') +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = stem;
    for (int n = 2; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n) name = stem + QLatin1Char('-') + QString::number(n);
    return name;
}

}  // namespace

QString read_only_question(const QString& path) { return path + u8(" は読み取り専用です。上書きしますか？"); }

bool save_with_dialogs(const QString& path, std::string_view bytes) {
    if (is_read_only_file(path) && !dialogs().question(read_only_question(path))) return false;
    const SaveResult result = write_file_atomic(path, bytes);
    if (!result) dialogs().message(save_failure_message(path, result));
    return result.ok;
}

void offer_interrupted_save(const QString& path) {
    if (!has_interrupted_save(path) || drop_interrupted_save_if_unchanged(path)) return;
    const QString copy = interrupted_save_copy(path);
    const QString present_kept = unused_name(path, "incomplete");
    const QString copy_kept = unused_name(path, "before-save");
    const bool restore = dialogs().question(
        path + u8(" の前回の保存は途中で終わっています。ファイルが壊れている可能性があります。\n"
                  "保存前の内容に戻しますか？\n") +
        u8("「はい」: 保存前の内容に戻し、いまの内容を ") + present_kept + u8(" として残します。\n") +
        u8("「いいえ」: いまの内容のまま開き、保存前の内容を ") + copy_kept + u8(" として残します。"));
    if (restore ? restore_interrupted_save(path, present_kept) : keep_interrupted_save_copy(path, copy_kept)) return;
    dialogs().message(path + (restore ? u8(" を保存前の内容に戻せませんでした。") : u8(" の保存前の内容を別の名前で残せませんでした。")) +
                      u8("保存前の内容は ") + copy + u8(" にあります"));
}

}  // namespace velmo
