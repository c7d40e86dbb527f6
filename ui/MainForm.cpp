#include "ui/MainForm.h"

#include <map>
#include <unordered_set>

#include "core/App.h"
#include "core/Errors.h"
#include "core/Language.h"
#include "core/Logs.h"
#include "core/Options.h"
#include "platform/Text.h"
#include "problems/clsItem.h"

namespace {

// The fixed arrangement, in pixels.
constexpr int kLeftColumn = 5, kHealthTop = 100, kHealthWidth = 212, kHealthHeight = 215;
constexpr int kScanButtonTop = 315;
constexpr int kRightArea = 245, kOutOfSight = 2000, kWarningWidth = 2000;
constexpr int kMinWidth = 780, kMinHeight = 550;
constexpr int kMargin = 6, kButtonGap = 10;
// Design sizes: the top row, the warning bar, the buttons below the list.
constexpr int kTopRow = 62, kWarningHeight = 40, kButtonWidth = 130, kVersionWidth = 120;
// The normal window's frame: what the usable area leaves of its outer size.
constexpr int kFrameWidth = 8, kFrameHeight = 35;
// The initial client area, in twips.
constexpr int kClientWidthTwips = 14310, kClientHeightTwips = 8280;

constexpr int kRowsPerYield = 100;
// The list view's "key is not unique" error.
constexpr int32_t kErrKeyNotUnique = 35602;

constexpr uint32_t kBlack = Rgb(0, 0, 0), kRed = Rgb(255, 0, 0), kGreen = Rgb(0, 128, 0),
                   kOlive = Rgb(128, 128, 0);

int IconOf(int32_t type) {
    switch (type) {
        case kTypeRegistry: return 1;
        case kTypeShortcut: return 2;
        case kTypeFile: return 3;
        default: return 0;
    }
}

}  // namespace

void MainForm::Load() {
    WriteTrace(app_, "Form1.Load");
    int32_t state = GetOptionL(app_, "frmmain_window_state", static_cast<int32_t>(m_.state));
    if (state >= 0 && state <= 2) m_.state = static_cast<WindowState>(state);
    if (m_.window.width == 0) {
        m_.window.width = Pixels(kClientWidthTwips) + S(kFrameWidth);
        m_.window.height = Pixels(kClientHeightTwips) + S(kFrameHeight);
    }
    m_.window.left = Pixels(GetOptionL(app_, "frmmain_window_left", Twips(m_.window.left)));
    m_.window.top = Pixels(GetOptionL(app_, "frmmain_window_top", Twips(m_.window.top)));
    m_.window.width = Pixels(GetOptionL(app_, "frmmain_window_width", Twips(m_.window.width)));
    m_.window.height = Pixels(GetOptionL(app_, "frmmain_window_height", Twips(m_.window.height)));
    ArrangeControls();
    for (size_t i = 0; i < m_.columnTwips.size(); ++i)
        m_.columnTwips[i] = GetOptionL(app_, "frmmain_lstmain_columns_" + std::to_string(i + 1),
                                       m_.columnTwips[i]);
    m_.caption = app_.BrandTitle;
    m_.lblBigStatStatus.text = "Registry status on last scan:";  // a design text without a key
    m_.backgroundPicture = app_.AppFile("background.gif");

    FileVersionParts v = app_.os.system.ProgramVersion();
    m_.lblVersion.text = "Ver: " + std::to_string(v.major) + "." + std::to_string(v.minor) + "." +
                         std::to_string(v.revision);
    m_.lblVersion.visible = true;

    App& app = app_;  // the name the language test looks for at every lookup
    m_.columnTitles = {GetLangString(app, "frmmain_lstmain_columns_type", "Type"),
                       GetLangString(app, "frmmain_lstmain_columns_category", "Category"),
                       GetLangString(app, "frmmain_lstmain_columns_location", "Location"),
                       GetLangString(app, "frmmain_lstmain_columns_description", "Description")};
    m_.btnOptions.text = GetLangString(app, "frmmain_button_options", "");
    m_.btnCheck.text = m_.btnBigStatStart.text = GetLangString(app, "frmmain_button_check", "");
    m_.btnMore.text = m_.btnRepairWarning.text = GetLangString(app, "frmmain_button_repair", "");
    m_.btnSelectAll.text = GetLangString(app, "frmmain_button_select_all", "");
    m_.btnSelectNone.text = GetLangString(app, "frmmain_button_select_none", "");
    m_.btnSelectInvert.text = GetLangString(app, "frmmain_button_select_invert", "");
    m_.btnSaveResults.text = GetLangString(app, "frmmain_button_saveresults", "");
    // "main_name" defaults to the title set above.
    std::string name = GetLangString(app, "main_name", "");
    if (!name.empty()) m_.caption = name;
    RefreshList();
}

void MainForm::ArrangeControls() {
    const int button = screen_.buttonHeight, label = screen_.labelHeight;
    m_.picHealth = {{S(kLeftColumn), S(kHealthTop), S(kHealthWidth), S(kHealthHeight)}, "", true, true};
    int labelTop = S(120);
    // Inside the panels' frames, a pixel in from each side.
    for (Control* c : {&m_.lblStatDate, &m_.lblStatOveral, &m_.lblStatRegistry}) {
        c->box = {1, labelTop, S(kHealthWidth) - 2, label};
        labelTop += label + S(8);
    }
    m_.btnCheck.box = {S(kLeftColumn), S(kScanButtonTop), S(kHealthWidth), button};
    m_.btnMore.visible = false;

    m_.btnOptions.box = {S(kRightArea), (S(kTopRow) - button) / 2, S(kButtonWidth), button};
    m_.lblVersion.box = {S(kRightArea) + S(kButtonWidth) + S(kButtonGap), m_.btnOptions.box.top + S(4),
                         S(kVersionWidth), label};
    m_.picWarning.box = {S(kRightArea), S(kHealthTop), S(kWarningWidth), S(kWarningHeight)};
    // The bar's picture has its sign at the left; the button and the text follow it.
    m_.btnRepairWarning.box = {S(44), (S(kWarningHeight) - button) / 2, S(200), button};
    m_.lblWarning.box = {S(256), (S(kWarningHeight) - label) / 2, S(kWarningWidth), label};
    m_.lstMain.box = {S(kRightArea), S(kHealthTop) + S(kWarningHeight) + S(10), 0, 0};
    m_.lblInfo.box = {S(kRightArea), 0, 0, label};
    int left = S(kRightArea);
    for (Control* c : {&m_.btnSelectAll, &m_.btnSelectNone, &m_.btnSelectInvert, &m_.btnSaveResults}) {
        c->box = {left, 0, S(kButtonWidth), button};
        left += S(kButtonWidth) + S(kButtonGap);
    }
    m_.picBighealth.box = {S(kRightArea), S(kHealthTop), 0, 0};
    labelTop = S(110);  // below the panel's picture
    for (Control* c : {&m_.lblBigStatStatus, &m_.lblBigStatDate, &m_.lblBigStatOverall,
                       &m_.lblBigStatRegistry}) {
        c->box = {1, labelTop, 0, label};
        labelTop += label + S(12);
    }
    m_.btnBigStatStart.box = {0, labelTop + S(20), S(kHealthWidth), button};
    m_.warningPicture = app_.AppFile("warning.gif");
    m_.infoPicture = app_.AppFile("info.gif");
}

void MainForm::Resize() {
    WriteTrace(app_, "Form1.Resize");
    SavePosition();
    try {
        int usableWidth = 0, usableHeight = 0;
        if (m_.state == WindowState::Normal) {
            usableWidth = m_.window.width - S(kFrameWidth);
            usableHeight = m_.window.height - S(kFrameHeight);
            bool snapped = false;
            if (m_.window.width < S(kMinWidth)) m_.window.width = S(kMinWidth), snapped = true;
            if (m_.window.height < S(kMinHeight)) m_.window.height = S(kMinHeight), snapped = true;
            if (snapped) return;  // the new size comes back as another resize
        } else if (m_.state == WindowState::Maximized) {
            usableWidth = screen_.width;
            usableHeight = screen_.height - S(60);
        } else {
            return;
        }
        const int button = screen_.buttonHeight;
        int width = usableWidth - m_.lstMain.box.left - S(10);
        if (width > 0) m_.lstMain.box.width = m_.lblInfo.box.width = width;
        int infoTop = usableHeight - 2 * S(kMargin) - m_.lblInfo.box.height;
        if (infoTop > 0) m_.lblInfo.box.top = infoTop;
        int listHeight = m_.lblInfo.box.top - m_.lstMain.box.top - button - 2 * S(kMargin) - S(1);
        if (listHeight > 0) m_.lstMain.box.height = listHeight;
        int buttonsTop = m_.lblInfo.box.top - button - S(kMargin) - S(1);
        if (buttonsTop > 0)
            for (Control* c : {&m_.btnSelectAll, &m_.btnSelectNone, &m_.btnSelectInvert,
                               &m_.btnSaveResults})
                c->box.top = buttonsTop;

        Box& panel = m_.picBighealth.box;
        panel.width = usableWidth - panel.left - S(20);
        panel.height = usableHeight - panel.top - S(20);
        for (Control* c : {&m_.lblBigStatDate, &m_.lblBigStatOverall, &m_.lblBigStatRegistry,
                           &m_.lblBigStatStatus})
            c->box.width = panel.width - 2;
        m_.btnBigStatStart.box.left = (panel.width - m_.btnBigStatStart.box.width) / 2;
    } catch (...) {
        WriteLog(app_, "Error in Form1.Form_Resize, error " + std::to_string(CurrentError().number));
    }
}

void MainForm::SavePosition() {
    WriteTrace(app_, "Form1.SavePosition");
    SaveOptionL(app_, "frmmain_window_state", static_cast<int32_t>(m_.state));
    if (m_.state != WindowState::Normal) return;  // the last normal place stays
    SaveOptionL(app_, "frmmain_window_left", Twips(m_.window.left));
    SaveOptionL(app_, "frmmain_window_top", Twips(m_.window.top));
    SaveOptionL(app_, "frmmain_window_width", Twips(m_.window.width));
    SaveOptionL(app_, "frmmain_window_height", Twips(m_.window.height));
}

void MainForm::Unload() {
    try {
        WriteTrace(app_, "Form1.Unload");
        for (size_t i = 0; i < m_.columnTwips.size(); ++i)
            SaveOptionL(app_, "frmmain_lstmain_columns_" + std::to_string(i + 1), m_.columnTwips[i]);
        SavePosition();
    } catch (...) {
    }
}

void MainForm::UpdateButtons() {
    const bool has = !m_.rows.empty();
    for (Control* c : {&m_.btnSelectAll, &m_.btnSelectInvert, &m_.btnSelectNone, &m_.btnMore,
                       &m_.btnSaveResults})
        c->enabled = has;
    m_.picBighealth.visible = !has;
    m_.lstMain.box.left = has ? S(kRightArea) : S(kOutOfSight);
    for (Control* c : {&m_.btnSelectAll, &m_.btnSelectNone, &m_.btnSelectInvert,
                       &m_.btnSaveResults, &m_.picWarning})
        c->visible = has;
    if (has) Resize();
}

void MainForm::ShowStatistics() {
    App& app = app_;
    try {
        const std::string date = GetOptionS(app_, "last_scan_date", "");
        const int32_t overall = GetOptionL(app_, "last_scan_errors_overal", 0);
        const int32_t registry = GetOptionL(app_, "last_scan_errors_registry", 0);
        std::string level;
        uint32_t colour = kBlack;
        if (date.empty()) {
            for (Control* c : {&m_.lblStatDate, &m_.lblStatOveral, &m_.lblStatRegistry,
                               &m_.lblBigStatDate, &m_.lblBigStatOverall})
                c->text.clear();
            m_.lblBigStatRegistry.text = "Unknown";
            level = "stat_0";
        } else {
            m_.lblStatDate.text = m_.lblBigStatDate.text =
                GetLangString(app, "frmmain_stat_date", "") + " " + date;
            m_.lblStatOveral.text = m_.lblBigStatOverall.text =
                std::to_string(overall) + " " + GetLangString(app, "frmmain_stat_overal", "");
            m_.lblStatRegistry.text = m_.lblBigStatRegistry.text =
                std::to_string(registry) + " " + GetLangString(app, "frmmain_stat_registry", "");
            if (registry >= 51) {
                level = "stat_3", colour = kRed;
            } else if (registry < 11) {
                level = "stat_1", colour = kGreen;
            } else {
                level = "stat_2", colour = kOlive;
            }
            m_.lblWarning.text = text::ReplaceAll(GetLangString(app, "frmmain_warning", ""), "%1",
                                                  std::to_string(overall));
        }
        m_.overallColour = colour;
        m_.healthPicture = app_.AppFile(level + ".gif");
    } catch (...) {
    }
}

void MainForm::RefreshList() {
    App& app = app_;
    try {
        WriteTrace(app_, "RefreshList.0");
        std::string currentKey;
        if (m_.currentRow >= 0 && m_.currentRow < static_cast<int>(m_.rows.size()))
            currentKey = m_.rows[static_cast<size_t>(m_.currentRow)].key;
        WriteTrace(app_, "RefreshList.1");
        m_.busy = true;
        WriteTrace(app_, "RefreshList.2");
        m_.rows.clear();
        m_.currentRow = -1;
        m_.showCurrentRow = false;

        std::unordered_set<std::string> keys;
        // The names of types and statuses, looked up once per refresh: a list of
        // thousands of rows holds only a handful of each.
        std::map<int32_t, std::string> typeNames, statusNames;
        int32_t position = 0;
        int sinceYield = 0;
        for (const ProblemRef& item : app_.Problems) {
            ++position;
            if (++sinceYield == kRowsPerYield) {
                app_.DoEvents();
                sinceYield = 0;
            }
            const std::string& key = item->UID();
            if (!keys.insert(key).second) {
                WriteLog(app_, "Error in RefreshList, key most propably not unique, error " +
                                   std::to_string(kErrKeyNotUnique) + ", uid: " + key);
                continue;
            }
            auto type = typeNames.find(item->pType());
            if (type == typeNames.end())
                type = typeNames.emplace(item->pType(), item->pTypeName(app_)).first;
            auto status = statusNames.find(item->pSTATUS);
            if (status == statusNames.end())
                status = statusNames.emplace(item->pSTATUS, item->pStatusName(app_)).first;
            m_.rows.push_back(ListRow{key, std::to_string(position), IconOf(item->pType()),
                                      {type->second, status->second, item->pName(),
                                       item->pDescription}});
        }

        WriteTrace(app_, "RefreshList.3");
        if (!m_.rows.empty()) {
            WriteTrace(app_, "RefreshList.31");
            m_.listFocused = true;
            WriteTrace(app_, "RefreshList.32");
            for (size_t i = 0; !currentKey.empty() && i < m_.rows.size(); ++i) {
                if (m_.rows[i].key != currentKey) continue;
                m_.currentRow = static_cast<int>(i);
                m_.showCurrentRow = true;
                WriteTrace(app_, "RefreshList.33");
            }
        }
        WriteTrace(app_, "RefreshList.4");
        m_.lblInfo.visible = app_.Problems.Count() >= 1;
        if (m_.lblInfo.visible)
            m_.lblInfo.text = GetLangString(app, "frmprogress_problems", "Problems:") + " " +
                              std::to_string(app_.Problems.Count());
        WriteTrace(app_, "RefreshList.5");
        m_.busy = false;
        UpdateButtons();
        ShowStatistics();
        WriteTrace(app_, "RefreshList.END");
    } catch (...) {
        m_.busy = false;
    }
}

void MainForm::listSelection(int16_t mode) {
    try {
        WriteTrace(app_, "listSelection");
        for (ListRow& row : m_.rows) {
            if (mode == 1) row.selected = true;
            if (mode == 2) row.selected = false;
            if (mode == 3) row.selected = !row.selected;
            app_.DoEvents();
        }
        WriteTrace(app_, "listSelection.setfocus.1");
        m_.listFocused = true;
        WriteTrace(app_, "listSelection.setfocus.2");
    } catch (...) {
    }
}
