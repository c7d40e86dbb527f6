#pragma once
// Small pieces the registry scanners share.
#include <memory>
#include <string>

#include "core/App.h"
#include "core/Language.h"
#include "problems/clsItem.h"
#include "scan/Progress.h"

namespace scanner {

// "Scanning registry key" (localised), a blank and the item.
inline void ShowRegistryItem(App& app, const std::string& item) {
    UpdateProgressLabel(app,
                        GetLangString(app, "progress_scanning_registry", "Scanning registry key") +
                            " " + item);
}

inline bool ScanGoesOn(const App& app) { return app.Scan.ContinueScan; }

inline std::shared_ptr<clsItem> NewProblem() { return std::make_shared<clsItem>(); }

}  // namespace scanner
