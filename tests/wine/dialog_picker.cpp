// Test helper, run under Wine beside panelflash.exe: waits for the open-file
// dialog of another program, then either types a file name into the
// dialog's name box and presses Open, or presses Cancel. It plays the
// technician at the dialog, so the end-to-end tests need no display.
//
//   dialog-picker.exe NAME       choose NAME (relative to the dialog's folder)
//   dialog-picker.exe --cancel   cancel the dialog
// It first prints the dialog's selected filter ("filter: TEXT") on standard
// output, for the test to check. Exit status 0 when the dialog was found and
// answered, 1 otherwise.
#include <windows.h>
#include <dlgs.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace {

constexpr char kDialogClass[] = "#32770";
constexpr DWORD kFindBudgetMs = 20000;
constexpr DWORD kPollMs = 20;

HWND waitForDialog() {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < kFindBudgetMs) {
        HWND dialog = FindWindowA(kDialogClass, nullptr);
        if (dialog != nullptr && IsWindowVisible(dialog)) {
            return dialog;
        }
        Sleep(kPollMs);
    }
    return nullptr;
}

// The name box is a combo box in the Explorer-style dialog, an edit box in
// the old style.
bool typeName(HWND dialog, const char* name) {
    for (int control : {cmb13, edt1}) {
        HWND box = GetDlgItem(dialog, control);
        if (box != nullptr) {
            return SetWindowTextA(box, name) != FALSE;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: dialog-picker.exe (NAME | --cancel)\n");
        return 1;
    }
    HWND dialog = waitForDialog();
    if (dialog == nullptr) {
        std::fprintf(stderr, "dialog-picker: no open-file dialog appeared\n");
        return 1;
    }
    char text[MAX_PATH] = {};
    GetDlgItemTextA(dialog, cmb1, text, sizeof text);
    std::printf("filter: %s\n", text);
    std::fflush(stdout);
    if (std::strcmp(argv[1], "--cancel") == 0) {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return 0;
    }
    if (!typeName(dialog, argv[1])) {
        std::fprintf(stderr, "dialog-picker: the dialog has no name box\n");
        return 1;
    }
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return 0;
}
