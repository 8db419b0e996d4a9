// A bare Qt program that draws what the program's first frame shows of the year:
// a main window with a table of the year list's first texts, in the program's font,
// with nothing else of the program linked. The start-up benchmark starts it beside
// the program (velmo_bench --benchmark_filter=BM_ProgramStart).
//
//   velmo_bare_window TEXTS   TEXTS: the font family on its first line, then the
//                             table's rows, cells separated by tabs, the header first
#include <QApplication>
#include <QFile>
#include <QFont>
#include <QHeaderView>
#include <QMainWindow>
#include <QStringList>
#include <QTableWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) return 2;
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly)) return 2;
    const QStringList lines = QString::fromUtf8(in.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (lines.size() < 2) return 2;
    QFont font(lines[0]);
    font.setPixelSize(15);
    QFont weekday_font(lines[0]);
    weekday_font.setPixelSize(11);
    QMainWindow window;
    auto* table = new QTableWidget(20, 6, &window);
    table->setFont(font);
    table->horizontalHeader()->setFont(font);
    table->setTextElideMode(Qt::ElideNone);
    table->setWordWrap(false);
    table->setHorizontalHeaderLabels(lines[1].split(QLatin1Char('\t')));
    for (int row = 0; row + 2 < lines.size(); ++row) {
        const QStringList cells = lines[row + 2].split(QLatin1Char('\t'));
        for (int col = 0; col < cells.size() && col < 6; ++col) {
            auto* item = new QTableWidgetItem(cells[col]);
            if (col == 1) item->setFont(weekday_font);
            table->setItem(row, col, item);
        }
    }
    window.setCentralWidget(table);
    window.resize(800, 600);
    window.show();
    return QApplication::exec();
}
