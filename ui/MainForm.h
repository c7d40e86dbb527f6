#pragma once
// The main window (Form1) and its problem list, as logic over what they show. The
// window has two faces: the large statistics panel while the list is empty, the list
// with its warning bar and selection buttons while it holds problems; a fixed left
// column always shows the small health panel and the scan button.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "ui/WindowModel.h"

struct App;

enum class WindowState : int32_t { Normal = 0, Minimized = 1, Maximized = 2 };

// One row of the list: its key (the problem's UID), its tag (the problem's position in
// the collection, as text), its small icon (1 registry, 2 shortcut, 3 file, 0 none)
// and the texts of its four columns.
struct ListRow {
    std::string key, tag;
    int icon = 0;
    std::array<std::string, 4> texts;
    bool selected = false;
};

// Sizes and places are pixels of the screen the window is on.
struct MainFormModel {
    std::string caption;
    WindowState state = WindowState::Normal;
    Box window;  // the normal window's place and outer size

    // The left column.
    Control picHealth, lblStatDate, lblStatOveral, lblStatRegistry, btnCheck, btnMore;
    // The top row and the list face.
    Control btnOptions, lblVersion, picWarning, lblWarning, btnRepairWarning;
    Control lstMain, lblInfo, btnSelectAll, btnSelectNone, btnSelectInvert, btnSaveResults;
    // The statistics face.
    Control picBighealth, lblBigStatStatus, lblBigStatDate, lblBigStatOverall, lblBigStatRegistry,
        btnBigStatStart;

    uint32_t overallColour = 0;  // of lblStatOveral and lblBigStatOverall
    // Pictures, as files beside the program; a missing one leaves the surface plain.
    std::string backgroundPicture, warningPicture, infoPicture, healthPicture;

    std::array<std::string, 4> columnTitles;
    std::array<int, 4> columnTwips{2540, 2540, 2540, 2540};
    std::vector<ListRow> rows;
    int currentRow = -1;         // the row with the focus rectangle, -1 for none
    bool listFocused = false;
    bool showCurrentRow = false;  // scroll the current row into view
    bool busy = false;            // the hourglass pointer
};

class MainForm {
public:
    MainForm(App& app, MainFormModel& model, const ScreenMetrics& screen)
        : app_(app), m_(model), screen_(screen) {}

    // Loading: place, size and state from the options, the controls arranged, the
    // texts, pictures and version, then the list refreshed.
    void Load();
    // Every change of size: the position is stored, a normal window is kept at 780 by
    // 550 pixels at least, and the list, its buttons and the statistics panel follow.
    void Resize();
    // Stores the state, and for a normal window its place and size.
    void SavePosition();
    // Closing: the column widths and the position are stored.
    void Unload();
    // The face follows the list: the statistics panel while it is empty.
    void UpdateButtons();
    // The last scan's date and counts, the health picture and the warning text.
    void ShowStatistics();
    // Rebuilds the rows from the problem collection, keeping the current row.
    void RefreshList();
    // 1 selects every row, 2 none, 3 inverts each row's selection.
    void listSelection(int16_t mode);

private:
    void ArrangeControls();
    int Twips(int pixels) const { return pixels * screen_.twipsPerPixel; }
    // The arrangement's pixels are those of a 96-dots-per-inch screen: at another
    // resolution they grow with it, so that the window keeps its size in inches.
    int S(int pixels) const { return pixels * 15 / screen_.twipsPerPixel; }
    int Pixels(int twips) const { return twips / screen_.twipsPerPixel; }

    App& app_;
    MainFormModel& m_;
    ScreenMetrics screen_;
};
