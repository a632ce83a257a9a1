#pragma once
// Numeric command and resource identifiers. They are the program's own (32777 and
// up) or the values the desktop framework gives its standard commands; menus,
// toolbar, accelerators and context menus all issue these numbers.

namespace tavelo::gui {

enum CommandId : int {
    ID_INDICATOR_MODE = 106,

    ID_NEW_SUBJECT = 32777,
    ID_ADD_DOCUMENT = 32778,
    ID_REMOVE_DOCUMENT = 32779,
    ID_DELETE_SUBJECT = 32780,
    ID_CLOSE_SUBJECT = 32781,
    ID_MODIFY_DOCUMENT_PATH = 32782,
    ID_IMPORT = 32783,
    ID_EXPORT = 32784,
    ID_CHANGE_FOLDER = 32785,
    ID_RENAME_SUBJECT = 32786,
    ID_EXPECTED_TEXT = 32787,
    ID_NAVIGATION_STANDARD = 32789,
    ID_NAVIGATION_SEARCH = 32790,
    ID_MERGE = 32795,
    ID_COPY_SUBJECT = 32796,
    ID_HELP_EXAMPLE = 32800, // opens the example book ("&?" menu)
    ID_CLEAR_TEXT_CACHE = 32910,
    ID_PAUSE_READING = 32911, // pauses the background reading of documents
    // Tools for documents that moved or went missing.
    ID_CHECK_DOCUMENTS = 32810,
    ID_RELINK_DOCUMENTS = 32811,
    // Keeping general titles tidy.
    ID_RENAME_GENERAL_TITLE = 32820,
    ID_MOVE_SUBJECT = 32821,
    // Filing new paperwork: the book's inbox folders, scanning.
    ID_INBOX = 32830,
    ID_SCAN = 32831,

    ID_FILE_NEW = 57600,
    ID_FILE_OPEN = 57601,
    ID_FILE_CLOSE = 57602,
    ID_FILE_SAVE = 57603,
    ID_FILE_SAVE_AS = 57604,
    ID_FILE_PRINT_SETUP = 57606,
    ID_FILE_PRINT = 57607,
    ID_FILE_PRINT_DIRECT = 57608,
    ID_FILE_PRINT_PREVIEW = 57609,
    ID_FILE_MRU_FIRST = 57616,
    ID_FILE_MRU_LAST = 57631,
    ID_EDIT_COPY = 57634,
    ID_EDIT_CUT = 57635,
    ID_EDIT_FIND = 57636,
    ID_EDIT_PASTE = 57637,
    ID_EDIT_UNDO = 57643,
    ID_WINDOW_NEW = 57648,
    ID_WINDOW_ARRANGE = 57649,
    ID_WINDOW_CASCADE = 57650,
    ID_WINDOW_TILE_HORZ = 57651,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_NEXT_PANE = 57680,
    ID_PREV_PANE = 57681,
    ID_INDICATOR_CAPS = 59137,
    ID_INDICATOR_NUM = 59138,
    ID_INDICATOR_SCRL = 59139,
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
};

enum ResourceId : int {
    IDR_MAINFRAME = 128,   // menu, accelerators, toolbar and title of the main window
    IDR_TAVELOTYPE = 129,  // menu of the book windows
    IDR_POPUP_DOCUMENT = 133,
    IDR_POPUP_SUBJECT = 134,
    IDD_ABOUTBOX = 100,
    IDD_NEW_SUBJECT = 132,
    IDD_RENAME_SUBJECT = 140,
    IDD_EXPECTED_TEXT = 141,
    IDD_RESERVATION = 143,
    IDD_AVAILABLE = 144,
};

enum ControlId : int {
    IDOK = 1,
    IDCANCEL = 2,
    IDC_GENERAL_TITLE = 1000,
    IDC_SUBJECT_NAME = 1001,
    IDC_RENAME_NAME = 1006,
    IDC_EXPECTED_TEXT = 1007,
    IDC_NOTIFY = 1008,
    IDC_FILE_LINE = 1009,
    IDC_GENERAL_TITLE_CHOICE = 1010,
    IDC_TAKE_OVER = 1010,
};

} // namespace tavelo::gui
