#include "reading/formats/spreadsheet.h"
#include "reading/formats/format.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include <freexl.h>

#include "base/tr.h"
#include "book/text.h"

namespace tavelo {

namespace {

struct CloseWorkbook {
    void operator()(const void* handle) const { freexl_close(handle); }
};

std::string DescribeFreexlError(int code)
{
    switch (code) {
    case FREEXL_FILE_NOT_FOUND: return TAVELO_TR_NOOP("Search", "le fichier n'existe pas ou ne peut pas être ouvert");
    case FREEXL_INSUFFICIENT_MEMORY: return TAVELO_TR_NOOP("Search", "la mémoire manque pour le lire");
    case FREEXL_INVALID_CFBF_HEADER:
    case FREEXL_BIFF_INVALID_BOF:
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
    case FREEXL_BIFF_INVALID_SST:
    case FREEXL_CRAFTED_FILE:
    case FREEXL_CFBF_READ_ERROR:
    case FREEXL_CFBF_SEEK_ERROR:
    case FREEXL_CFBF_INVALID_SIGNATURE:
    case FREEXL_CFBF_INVALID_SECTOR_SIZE:
    case FREEXL_CFBF_EMPTY_FAT_CHAIN:
    case FREEXL_CFBF_ILLEGAL_FAT_ENTRY:
    case FREEXL_INVALID_MINI_STREAM:
    case FREEXL_CFBF_ILLEGAL_MINI_FAT_ENTRY: return TAVELO_TR_NOOP("Search", "ce n'est pas un classeur Excel 97-2003 valide");
    case FREEXL_UNSUPPORTED_CHARSET: return TAVELO_TR_NOOP("Search", "son jeu de caractères n'est pas pris en charge");
    default: return TAVELO_TR_NOOP("Search", "le classeur est endommagé");
    }
}

void FormatNumber(double value, std::string& out)
{
    char buffer[40];
    // The shortest of %.15g and %.17g that reads back as the same number.
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    if (std::strtod(buffer, nullptr) != value)
        std::snprintf(buffer, sizeof buffer, "%.17g", value);
    out = buffer;
}

} // namespace

CellWalk ForEachCell(const std::string& path, const std::function<bool(std::string_view)>& visit, std::string& reason)
{
    const void* raw = nullptr;
    const int opened = freexl_open(path.c_str(), &raw);
    // The handle must be closed even when the open failed.
    const std::unique_ptr<const void, CloseWorkbook> workbook(raw);
    if (opened != FREEXL_OK) {
        reason = DescribeFreexlError(opened);
        return CellWalk::kUnreadable;
    }
    unsigned int password = 0;
    if (freexl_get_info(raw, FREEXL_BIFF_PASSWORD, &password) == FREEXL_OK && password == FREEXL_BIFF_OBFUSCATED) {
        reason = TAVELO_TR_NOOP("Search", "le classeur est protégé par un mot de passe");
        return CellWalk::kUnreadable;
    }
    unsigned int sheets = 0;
    if (freexl_get_info(raw, FREEXL_BIFF_SHEET_COUNT, &sheets) != FREEXL_OK) {
        reason = TAVELO_TR_NOOP("Search", "le classeur est endommagé");
        return CellWalk::kUnreadable;
    }
    std::string text;
    for (unsigned int sheet = 0; sheet < sheets; ++sheet) {
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_select_active_worksheet(raw, static_cast<unsigned short>(sheet)) != FREEXL_OK ||
            freexl_worksheet_dimensions(raw, &rows, &columns) != FREEXL_OK) {
            reason = TAVELO_TR_NOOP("Search", "une feuille du classeur est endommagée");
            return CellWalk::kUnreadable;
        }
        for (unsigned int row = 0; row < rows; ++row) {
            for (unsigned short column = 0; column < columns; ++column) {
                FreeXL_CellValue cell;
                if (freexl_get_cell_value(raw, row, column, &cell) != FREEXL_OK)
                    continue;
                switch (cell.type) {
                case FREEXL_CELL_INT:
                    text = std::to_string(cell.value.int_value);
                    break;
                case FREEXL_CELL_DOUBLE:
                    FormatNumber(cell.value.double_value, text);
                    break;
                case FREEXL_CELL_TEXT:
                case FREEXL_CELL_SST_TEXT:
                case FREEXL_CELL_DATE:
                case FREEXL_CELL_DATETIME:
                case FREEXL_CELL_TIME:
                    if (cell.value.text_value == nullptr)
                        continue;
                    text = cell.value.text_value;
                    if (!IsValidUtf8(text)) {
                        std::string valid;
                        for (std::size_t pos = 0; pos < text.size();)
                            AppendUtf8(valid, DecodeUtf8(text, pos));
                        text.swap(valid);
                    }
                    break;
                default:
                    continue;
                }
                if (!text.empty() && visit(text))
                    return CellWalk::kStopped;
            }
        }
    }
    return CellWalk::kFinished;
}

bool ReadSpreadsheet(const FormatInput& input, TextSink& sink, std::string& reason)
{
    if (input.path.empty()) {
        reason = TAVELO_TR_NOOP("Search", "le fichier n'existe pas ou ne peut pas être ouvert");
        return false;
    }
    bool full = false;
    const CellWalk walk = ForEachCell(input.path, [&](std::string_view cell) {
        full = !sink.Add(MatchRule::kCell, cell);
        return full;
    }, reason);
    if (full)
        reason = TooMuchTextReason();
    return walk == CellWalk::kFinished;
}

} // namespace tavelo
