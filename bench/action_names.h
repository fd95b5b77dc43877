// SPDX-License-Identifier: MIT
// The list actions measured, by the names the benchmark and its child
// processes use for them.
#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace kestbench {

enum class Action { AppendRows, RemoveDuplicates, ExportCsv, LoadComparison };

constexpr std::array kActions{Action::AppendRows, Action::RemoveDuplicates, Action::ExportCsv, Action::LoadComparison};

constexpr std::string_view actionName(Action action)
{
    switch (action) {
    case Action::AppendRows: return "append-rows";
    case Action::RemoveDuplicates: return "remove-duplicates";
    case Action::ExportCsv: return "export-csv";
    case Action::LoadComparison: return "load-comparison";
    }
    return "";
}

inline std::optional<Action> actionFromName(std::string_view name)
{
    for (Action action : kActions)
        if (actionName(action) == name)
            return action;
    return std::nullopt;
}

} // namespace kestbench
