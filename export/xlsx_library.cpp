// The workbook writer, opened when the first workbook is written: a start that
// writes none never maps it. Each function the export calls is defined here and
// forwards to the library's own.
#include <xlsxwriter.h>

#include <string>

#include "framework/lazy_library.h"

namespace {

velmo::LazyLibrary xlsxwriter(VELMO_XLSXWRITER_SONAME);

}  // namespace

VELMO_FORWARD(xlsxwriter, lxw_workbook*, workbook_new_opt, (const char* filename, lxw_workbook_options* options),
              (filename, options))
VELMO_FORWARD(xlsxwriter, lxw_error, workbook_close, (lxw_workbook * workbook), (workbook))
VELMO_FORWARD(xlsxwriter, lxw_worksheet*, workbook_add_worksheet, (lxw_workbook * workbook, const char* sheetname),
              (workbook, sheetname))
VELMO_FORWARD(xlsxwriter, lxw_format*, workbook_add_format, (lxw_workbook * workbook), (workbook))
VELMO_FORWARD(xlsxwriter, lxw_chart*, workbook_add_chart, (lxw_workbook * workbook, uint8_t chart_type),
              (workbook, chart_type))
VELMO_FORWARD(xlsxwriter, void, format_set_bold, (lxw_format * format), (format))
VELMO_FORWARD(xlsxwriter, void, format_set_bottom, (lxw_format * format, uint8_t style), (format, style))
VELMO_FORWARD(xlsxwriter, void, format_set_num_format, (lxw_format * format, const char* num_format),
              (format, num_format))
VELMO_FORWARD(xlsxwriter, void, format_set_text_wrap, (lxw_format * format), (format))
VELMO_FORWARD(xlsxwriter, lxw_chart_series*, chart_add_series,
              (lxw_chart * chart, const char* categories, const char* values), (chart, categories, values))
VELMO_FORWARD(xlsxwriter, void, chart_axis_set_label_position, (lxw_chart_axis * axis, uint8_t position),
              (axis, position))
VELMO_FORWARD(xlsxwriter, void, chart_axis_set_num_format, (lxw_chart_axis * axis, const char* num_format),
              (axis, num_format))
VELMO_FORWARD(xlsxwriter, void, chart_legend_set_position, (lxw_chart * chart, uint8_t position), (chart, position))
VELMO_FORWARD(xlsxwriter, void, chart_series_set_categories,
              (lxw_chart_series * series, const char* sheetname, lxw_row_t first_row, lxw_col_t first_col,
               lxw_row_t last_row, lxw_col_t last_col),
              (series, sheetname, first_row, first_col, last_row, last_col))
VELMO_FORWARD(xlsxwriter, void, chart_series_set_values,
              (lxw_chart_series * series, const char* sheetname, lxw_row_t first_row, lxw_col_t first_col,
               lxw_row_t last_row, lxw_col_t last_col),
              (series, sheetname, first_row, first_col, last_row, last_col))
VELMO_FORWARD(xlsxwriter, lxw_error, chart_series_set_points, (lxw_chart_series * series, lxw_chart_point* points[]),
              (series, points))
VELMO_FORWARD(xlsxwriter, void, chart_title_set_name, (lxw_chart * chart, const char* name), (chart, name))
VELMO_FORWARD(xlsxwriter, lxw_error, worksheet_autofilter,
              (lxw_worksheet * worksheet, lxw_row_t first_row, lxw_col_t first_col, lxw_row_t last_row,
               lxw_col_t last_col),
              (worksheet, first_row, first_col, last_row, last_col))
VELMO_FORWARD(xlsxwriter, void, worksheet_freeze_panes, (lxw_worksheet * worksheet, lxw_row_t row, lxw_col_t col),
              (worksheet, row, col))
VELMO_FORWARD(xlsxwriter, lxw_error, worksheet_insert_chart,
              (lxw_worksheet * worksheet, lxw_row_t row, lxw_col_t col, lxw_chart* chart), (worksheet, row, col, chart))
VELMO_FORWARD(xlsxwriter, lxw_error, worksheet_set_column,
              (lxw_worksheet * worksheet, lxw_col_t first_col, lxw_col_t last_col, double width, lxw_format* format),
              (worksheet, first_col, last_col, width, format))
VELMO_FORWARD(xlsxwriter, lxw_error, worksheet_write_datetime,
              (lxw_worksheet * worksheet, lxw_row_t row, lxw_col_t col, lxw_datetime* datetime, lxw_format* format),
              (worksheet, row, col, datetime, format))
VELMO_FORWARD(xlsxwriter, lxw_error, worksheet_write_number,
              (lxw_worksheet * worksheet, lxw_row_t row, lxw_col_t col, double number, lxw_format* format),
              (worksheet, row, col, number, format))
VELMO_FORWARD(xlsxwriter, lxw_error, worksheet_write_string,
              (lxw_worksheet * worksheet, lxw_row_t row, lxw_col_t col, const char* string, lxw_format* format),
              (worksheet, row, col, string, format))

// The reason of an error; without the library, why it could not be opened.
extern "C" char* lxw_strerror(lxw_error error_num) {
    static auto* const forward = xlsxwriter.function<std::remove_pointer_t<decltype(&::lxw_strerror)>>("lxw_strerror");
    if (forward) return forward(error_num);
    static std::string reason;
    reason = xlsxwriter.error();
    return reason.data();
}
