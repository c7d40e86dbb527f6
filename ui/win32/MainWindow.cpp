#include "ui/win32/MainWindow.h"

#include <algorithm>

#include "core/App.h"
#include "core/Logs.h"
#include "platform/win32/Win32Prompts.h"
#include "platform/win32/WinText.h"
#include "ui/SaveResults.h"
#include "core/ScopedBinding.h"
#include "ui/win32/OptionsDialog.h"
#include "ui/win32/RepairWindows.h"
#include "ui/win32/ProgressWindow.h"
#include "ui/win32/Resources.h"

namespace {

constexpr UINT kStartupDelay = 700;
constexpr COLORREF kPanel = RGB(255, 255, 255);
constexpr COLORREF kWarningBar = RGB(255, 243, 205);
// The colour of background.gif's band where the top row stands.
constexpr COLORREF kBand = RGB(39, 105, 180);

ScreenMetrics CurrentScreen(HFONT font) {
    ScreenMetrics screen;
    HDC dc = GetDC(nullptr);
    int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    if (dpi <= 0) dpi = 96;
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    screen.twipsPerPixel = std::max(1, 1440 / dpi);
    screen.width = GetSystemMetrics(SM_CXSCREEN);
    screen.height = GetSystemMetrics(SM_CYSCREEN);
    screen.buttonHeight = MulDiv(25, dpi, 96);
    screen.labelHeight = metrics.tmHeight + 2;
    return screen;
}

HFONT MessageFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        return CreateFontIndirectW(&metrics.lfMessageFont);
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void SetText(HWND control, const std::string& text) {
    std::wstring wide = win::Wide(text);
    wchar_t current[512] = {};
    GetWindowTextW(control, current, 512);
    if (wide != current) SetWindowTextW(control, wide.c_str());  // no flicker for the same text
}

bool IsPanelLabel(int id, int first, int last) { return id >= first && id <= last; }

}  // namespace

MainWindow::MainWindow(App& app, Win32Prompts* prompts, bool endsTheProgram, Win32Shell* shell)
    : Window(app, "Form1"),
      prompts_(prompts),
      shell_(shell ? shell : &ownShell_),
      endsTheProgram_(endsTheProgram),
      font_(MessageFont()),
      screen_(CurrentScreen(font_)),
      form_(app, model_, screen_) {}

MainWindow::~MainWindow() {
    if (hwnd()) DestroyWindow(hwnd());
    if (images_) ImageList_Destroy(images_);
    if (font_) DeleteObject(font_);
}

bool MainWindow::Open(int showCommand) {
    INITCOMMONCONTROLSEX init{};
    init.dwSize = sizeof init;
    init.dwICC = ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&init);
    // The program's icon stands for the icon form of old: the window and its class show it.
    icon_ = LoadIconW(ProgramInstance(), MAKEINTRESOURCEW(IDI_BRIVOLEX));
    if (!Create(L"BrivolexMainWindow", L"", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, icon_)) return false;
    if (prompts_) prompts_->SetOwner(hwnd());
    shell_->SetOwner(hwnd());
    CreateControls();

    RECT placed;
    GetWindowRect(hwnd(), &placed);
    model_.window = {placed.left, placed.top, 0, 0};  // the size comes from the options
    form_.Load();
    loaded_ = true;
    for (int i = 0; i < 4; ++i)
        ListView_SetColumnWidth(controls_[kList], i,
                                model_.columnTwips[static_cast<size_t>(i)] / screen_.twipsPerPixel);
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(hwnd(), &placement);
    const Box& w = model_.window;
    placement.rcNormalPosition = {w.left, w.top, w.left + w.width, w.top + w.height};
    placement.showCmd = model_.state == WindowState::Maximized   ? SW_SHOWMAXIMIZED
                        : model_.state == WindowState::Minimized ? SW_SHOWMINIMIZED
                                                                 : static_cast<UINT>(showCommand);
    SetWindowPlacement(hwnd(), &placement);
    ShowModel();
    UpdateWindow(hwnd());
    SetTimer(hwnd(), kStartupTimer, kStartupDelay, nullptr);
    return true;
}

void MainWindow::CreateControls() {
    auto make = [&](int id, const wchar_t* kind, DWORD style) {
        HWND control = CreateWindowExW(0, kind, L"", WS_CHILD | style, 0, 0, 0, 0, hwnd(),
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                       ProgramInstance(), nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        controls_[id] = control;
    };
    for (int id : {kCheck, kMore, kOptions, kSelectAll, kSelectNone, kSelectInvert, kSaveResults,
                   kRepairWarning, kBigStatStart})
        make(id, L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON);
    for (int id : {kInfo, kVersion, kWarning})
        make(id, L"STATIC", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS);
    // The panels' labels stand centred under their pictures.
    for (int id : {kStatDate, kStatOveral, kStatRegistry, kBigStatStatus, kBigStatDate,
                   kBigStatOverall, kBigStatRegistry})
        make(id, L"STATIC", SS_CENTER | SS_NOPREFIX | SS_ENDELLIPSIS);
    make(kList, WC_LISTVIEWW,
         WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS);
    HWND list = controls_[kList];
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    int iconSize = GetSystemMetrics(SM_CXSMICON);
    images_ = ImageList_Create(iconSize, iconSize, ILC_COLOR32 | ILC_MASK, 3, 0);
    for (int id : {IDI_REGISTRY, IDI_SHORTCUT, IDI_FILE}) {
        HICON icon = static_cast<HICON>(
            LoadImageW(ProgramInstance(), MAKEINTRESOURCEW(id), IMAGE_ICON, iconSize, iconSize, LR_SHARED));
        ImageList_AddIcon(images_, icon);
    }
    ListView_SetImageList(list, images_, LVSIL_SMALL);
    for (int i = 0; i < 4; ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<wchar_t*>(L"");
        column.cx = model_.columnTwips[static_cast<size_t>(i)] / screen_.twipsPerPixel;
        ListView_InsertColumn(list, i, &column);
    }
}

RECT MainWindow::Screen(const Box& box, const Box* within) const {
    int left = box.left + (within ? within->left : 0), top = box.top + (within ? within->top : 0);
    return RECT{left, top, left + box.width, top + box.height};
}

void MainWindow::ShowModel() {
    SetText(hwnd(), model_.caption);
    auto place = [&](int id, const Control& c, const Control* panel = nullptr) {
        HWND control = controls_[id];
        RECT r = Screen(c.box, panel ? &panel->box : nullptr);
        SetWindowPos(control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SetText(control, c.text);
        EnableWindow(control, c.enabled);
        bool visible = c.visible && (!panel || panel->visible);
        ShowWindow(control, visible ? SW_SHOWNA : SW_HIDE);
    };
    place(kCheck, model_.btnCheck);
    place(kMore, model_.btnMore);
    place(kOptions, model_.btnOptions);
    place(kVersion, model_.lblVersion);
    place(kSelectAll, model_.btnSelectAll);
    place(kSelectNone, model_.btnSelectNone);
    place(kSelectInvert, model_.btnSelectInvert);
    place(kSaveResults, model_.btnSaveResults);
    place(kInfo, model_.lblInfo);
    place(kList, model_.lstMain);
    place(kStatDate, model_.lblStatDate, &model_.picHealth);
    place(kStatOveral, model_.lblStatOveral, &model_.picHealth);
    place(kStatRegistry, model_.lblStatRegistry, &model_.picHealth);
    place(kWarning, model_.lblWarning, &model_.picWarning);
    place(kRepairWarning, model_.btnRepairWarning, &model_.picWarning);
    place(kBigStatStatus, model_.lblBigStatStatus, &model_.picBighealth);
    place(kBigStatDate, model_.lblBigStatDate, &model_.picBighealth);
    place(kBigStatOverall, model_.lblBigStatOverall, &model_.picBighealth);
    place(kBigStatRegistry, model_.lblBigStatRegistry, &model_.picBighealth);
    place(kBigStatStart, model_.btnBigStatStart, &model_.picBighealth);

    HWND list = controls_[kList];
    for (int i = 0; i < 4; ++i) {
        std::wstring title = win::Wide(model_.columnTitles[static_cast<size_t>(i)]);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT;
        column.pszText = title.data();
        ListView_SetColumn(list, i, &column);
    }
    // The rows: a virtual list shows the model's rows; their selection is the control's.
    SetCursor(LoadCursorW(nullptr, model_.busy ? IDC_WAIT : IDC_ARROW));
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    if (shownRows_ != model_.rows.size())
        ListView_SetItemCountEx(list, static_cast<int>(model_.rows.size()), LVSICF_NOSCROLL);
    shownRows_ = model_.rows.size();
    // All rows at once where they agree (after a scan every row is selected).
    size_t selected = 0;
    for (const ListRow& row : model_.rows) selected += row.selected;
    if (selected == 0 || selected == model_.rows.size()) {
        ListView_SetItemState(list, -1, selected ? LVIS_SELECTED : 0, LVIS_SELECTED);
    } else {
        for (size_t i = 0; i < model_.rows.size(); ++i)
            ListView_SetItemState(list, static_cast<int>(i), model_.rows[i].selected ? LVIS_SELECTED : 0,
                                  LVIS_SELECTED);
    }
    if (model_.currentRow >= 0) ListView_SetItemState(list, model_.currentRow, LVIS_FOCUSED, LVIS_FOCUSED);
    if (model_.showCurrentRow && model_.currentRow >= 0) ListView_EnsureVisible(list, model_.currentRow, FALSE);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    if (model_.listFocused && IsWindowVisible(list)) SetFocus(list);

    COLORREF panel = GetSysColor(COLOR_BTNFACE);
    background_.Load(model_.backgroundPicture, panel);
    warning_.Load(model_.warningPicture, kWarningBar);
    info_.Load(model_.infoPicture, kPanel);
    health_.Load(model_.healthPicture, kPanel);
    InvalidateRect(hwnd(), nullptr, TRUE);
}

void MainWindow::ReadList() {
    HWND list = controls_[kList];
    for (size_t i = 0; i < model_.rows.size(); ++i)
        model_.rows[i].selected = ListView_GetItemState(list, static_cast<int>(i), LVIS_SELECTED) != 0;
    model_.currentRow = ListView_GetNextItem(list, -1, LVNI_FOCUSED);
    for (int i = 0; i < 4; ++i)
        model_.columnTwips[static_cast<size_t>(i)] = ListView_GetColumnWidth(list, i) * screen_.twipsPerPixel;
}

template <typename Logic>
void MainWindow::Do(Logic logic) {
    ReadList();
    logic();
    ShowModel();
}

void MainWindow::OnCommand(int id) {
    switch (id) {
        case kCheck:
        case kBigStatStart: Do([&] { ScanCommand(app_, form_, *this); }); break;
        case kMore:
        case kRepairWarning: Do([&] { RepairCommand(app_, form_, *this, *this); }); break;
        case kOptions: Do([&] { OptionsCommand(app_, *this); }); break;
        case kSaveResults: SaveResultsCommand(app_, *shell_); break;
        case kSelectAll:
            Do([&] {
                WriteTrace(app_, "Form1.SelectAll");
                form_.listSelection(1);
            });
            break;
        case kSelectNone:
            Do([&] {
                WriteTrace(app_, "Form1.SelectNone");
                form_.listSelection(2);
            });
            break;
        case kSelectInvert:
            Do([&] {
                WriteTrace(app_, "Form1.SelectInvert");
                form_.listSelection(3);
            });
            break;
        default: break;
    }
}

void MainWindow::OnSize() {
    if (!loaded_) return;
    model_.state = IsIconic(hwnd())   ? WindowState::Minimized
                   : IsZoomed(hwnd()) ? WindowState::Maximized
                                      : WindowState::Normal;
    if (model_.state == WindowState::Normal) {
        RECT r;
        GetWindowRect(hwnd(), &r);
        model_.window = {r.left, r.top, r.right - r.left, r.bottom - r.top};
    }
    Box before = model_.window;
    form_.Resize();
    if (model_.state == WindowState::Normal && !(model_.window == before)) {
        // Snapped back to the smallest size: the new size comes back as another WM_SIZE.
        SetWindowPos(hwnd(), nullptr, 0, 0, model_.window.width, model_.window.height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    ShowModel();
}

void MainWindow::Paint(HDC dc) {
    RECT client;
    GetClientRect(hwnd(), &client);
    background_.Draw(dc, client);
    auto panel = [&](const Control& c, COLORREF colour, const Picture& picture) {
        if (!c.visible) return;
        RECT r = Screen(c.box);
        HBRUSH brush = CreateSolidBrush(colour);
        FillRect(dc, &r, brush);
        DeleteObject(brush);
        picture.Draw(dc, r);
        FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
    };
    panel(model_.picHealth, kPanel, health_);
    panel(model_.picWarning, kWarningBar, warning_);
    panel(model_.picBighealth, kPanel, info_);
}

LRESULT MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) OnCommand(LOWORD(wParam));
            return 0;
        case WM_SIZE:
            OnSize();
            return 0;
        case WM_MOVE:
            if (model_.state == WindowState::Normal && !IsIconic(hwnd()) && !IsZoomed(hwnd())) {
                RECT r;
                GetWindowRect(hwnd(), &r);
                model_.window.left = r.left;
                model_.window.top = r.top;
            }
            return 0;
        case WM_TIMER:
            if (wParam != kStartupTimer) break;
            KillTimer(hwnd(), kStartupTimer);  // it fires once
            Do([&] { StartupTimerTick(app_, form_, *this); });
            return 0;
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (header->idFrom != kList) break;
            if (header->code == LVN_GETDISPINFOW) {
                auto* info = reinterpret_cast<NMLVDISPINFOW*>(lParam);
                size_t row = static_cast<size_t>(info->item.iItem);
                if (row >= model_.rows.size()) return 0;
                const ListRow& r = model_.rows[row];
                if (info->item.mask & LVIF_TEXT) {
                    std::wstring text = win::Wide(r.texts[static_cast<size_t>(info->item.iSubItem)]);
                    lstrcpynW(info->item.pszText, text.c_str(), info->item.cchTextMax);
                }
                if (info->item.mask & LVIF_IMAGE) info->item.iImage = r.icon - 1;
                return 0;
            }
            if (header->code == LVN_KEYDOWN &&
                reinterpret_cast<NMLVKEYDOWN*>(lParam)->wVKey == 'A' && GetKeyState(VK_CONTROL) < 0) {
                Do([&] { form_.listSelection(1); });  // Ctrl+A selects every row
                return 0;
            }
            break;
        }
        case WM_CTLCOLORSTATIC: {
            int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
            HDC dc = reinterpret_cast<HDC>(wParam);
            COLORREF back = IsPanelLabel(id, kStatDate, kBigStatRegistry) ? kPanel
                            : id == kWarning                          ? kWarningBar
                                                                      : GetSysColor(COLOR_BTNFACE);
            if (id == kVersion) {
                // On the background's blue band, in light text.
                SetTextColor(dc, RGB(255, 255, 255));
                SetBkColor(dc, kBand);
                SetDCBrushColor(dc, kBand);
                return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
            }
            SetBkColor(dc, back);
            SetTextColor(dc, id == kStatOveral || id == kBigStatOverall ? model_.overallColour
                                                                        : GetSysColor(COLOR_WINDOWTEXT));
            SetDCBrushColor(dc, back);
            return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
        }
        case WM_ERASEBKGND: {
            RECT r;
            GetClientRect(hwnd(), &r);
            FillRect(reinterpret_cast<HDC>(wParam), &r, GetSysColorBrush(COLOR_BTNFACE));
            return 1;
        }
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd(), &ps);
            Paint(dc);
            EndPaint(hwnd(), &ps);
            return 0;
        }
        case WM_CLOSE:
            DestroyWindow(hwnd());
            return 0;
        case WM_DESTROY:
            ReadList();
            form_.Unload();
            if (prompts_) prompts_->SetOwner(nullptr);
            shell_->SetOwner(nullptr);
            if (endsTheProgram_) PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return Default(message, wParam, lParam);
}

void MainWindow::ShowProgressWindow() {
    ProgressWindow progress(app_, pump_);
    progress.Run(hwnd());
}

void MainWindow::ShowNow() {
    ShowModel();
    UpdateWindow(hwnd());
}

void MainWindow::ShowRepairOptions() {
    RepairOptionsDialog options(app_);
    options.ShowModal(hwnd(), IDD_REPAIR_OPTIONS);
}

void MainWindow::ShowRepairProgress() {
    // The rows as the list shows them: their selection, and their problems' positions.
    std::vector<RepairRow> rows;
    for (const ListRow& row : model_.rows) rows.push_back({row.selected, row.tag});
    RepairProgressWindow progress(app_, *bin_, std::move(rows));
    ScopedBinding<Events> events(app_.events, pump_);
    progress.ShowModal(hwnd(), IDD_REPAIR_PROGRESS);
}

void MainWindow::ShowOptionsDialog() {
    OptionsDialog options(app_);
    options.ShowModal(hwnd(), IDD_OPTIONS);
}
