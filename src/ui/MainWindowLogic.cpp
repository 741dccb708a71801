#include "ui/MainWindowLogic.h"

#include <algorithm>

#include "model/ActionStore.h"
#include "registry/Registry.h"

namespace tessarin {

MainLayout LayOutMainWindow(int outerWidthTwips, int outerHeightTwips) {
    const int width = std::max(outerWidthTwips, kMinLayoutWidth);
    const int height = std::max(outerHeightTwips, kMinLayoutHeight);
    MainLayout layout;
    layout.ListWidth = width - 650;
    layout.ListHeight = height - 2200;
    layout.AddLeft = width / 2 - 2660;
    layout.EditLeft = layout.AddLeft + 1200;
    layout.HotkeyLeft = layout.EditLeft + 1500;
    layout.DeleteLeft = layout.HotkeyLeft + 1200;
    layout.ButtonTop = layout.ListTop + layout.ListHeight + 200;
    return layout;
}

bool StartsInNotificationArea(std::string_view commandLine) {
    return commandLine.find("/m") != std::string_view::npos;
}

std::string RunEntryData(std::string_view programFolder, std::string_view programFileName) {
    std::string name(programFileName);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos) {
        name.resize(dot);
    }
    return "\"" + std::string(programFolder) + "\\" + name + ".exe\" /m";
}

namespace {

// A fresh registry object per use, addressing the Run entry under one root.
cRegistry RunEntry(RawRegistry& registry, std::int32_t root) {
    cRegistry entry(registry);
    entry.ClassKey(root);
    entry.SectionKey(kRunKey);
    entry.ValueKey(kRunValue);
    entry.ValueType(static_cast<std::int32_t>(reg::kSz));
    return entry;
}

}  // namespace

void UpdateRunEntry(RawRegistry& registry, bool startWithWindows, const std::string& data,
                    bool machineWide) {
    if (!startWithWindows) {
        RunEntry(registry, reg::kLocalMachine).DeleteValue();
        RunEntry(registry, reg::kCurrentUser).DeleteValue();
        return;
    }
    if (machineWide) {
        cRegistry machine = RunEntry(registry, reg::kLocalMachine);
        machine.Value(RegistryVariant(data));
        if (machine.LastError().Number == 0) {
            // One entry is enough: a per-user one left from an earlier run would start a second
            // copy.
            RunEntry(registry, reg::kCurrentUser).DeleteValue();
            return;
        }
    } else {
        // A machine-wide entry for this very file, left by an earlier version, would keep
        // starting a file any user can replace.
        cRegistry machine = RunEntry(registry, reg::kLocalMachine);
        if (VariantText(machine.Value()) == data) {
            machine.DeleteValue();
        }
    }
    RunEntry(registry, reg::kCurrentUser).Value(RegistryVariant(data));
}

namespace {

// Upper-cases ASCII letters and turns slashes into backslashes; other characters stay, so two
// spellings that differ beyond ASCII count as different folders (the safe side).
std::string Canonical(std::string_view path) {
    std::string text(path);
    if (text.starts_with("\\\\?\\")) {
        text.erase(0, 4);
    }
    for (char& c : text) {
        if (c == '/') {
            c = '\\';
        } else if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

bool HasRelativeStep(std::string_view path) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = path.find('\\', start);
        const std::string_view step = path.substr(start, end - start);
        if (step == "." || step == "..") {
            return true;
        }
        if (end == std::string_view::npos) {
            return false;
        }
        start = end + 1;
    }
}

}  // namespace

bool IsProtectedProgramPath(std::string_view programPath,
                            std::span<const std::string> protectedFolders) {
    const std::string path = Canonical(programPath);
    if (HasRelativeStep(path)) {
        return false;
    }
    for (const std::string& folder : protectedFolders) {
        std::string prefix = Canonical(folder);
        while (prefix.ends_with('\\')) {
            prefix.pop_back();
        }
        // "C:\Program Files Evil\" starts with "C:\Program Files" too: the folder must end at a
        // backslash, with a file name after it.
        if (!prefix.empty() && path.size() > prefix.size() + 1 && path.starts_with(prefix) &&
            path[prefix.size()] == '\\') {
            return true;
        }
    }
    return false;
}

std::string DeleteQuestion(const std::string& caption) {
    return "Are you sure you want to delete " + caption + " ?";
}

std::optional<std::size_t> DeleteAction(ActionList& listView1, std::size_t position,
                                        Hotkeys& hotkeys, SettingsStore& store) {
    if (position < 1 || position > listView1.Count()) {
        return std::nullopt;
    }
    ActionRecord& row = listView1.At(position);
    hotkeys.UnregisterOneHotKey(row);
    row.Tag = 0;
    row.Hotkey.clear();
    listView1.Remove(position);
    SaveRegActions(store, listView1);
    if (listView1.Empty()) {
        return std::nullopt;
    }
    return std::max<std::size_t>(position - 1, 1);
}

OpenMode ChooseOpenMode(OpenModeChoice choice) {
    return {choice == OpenModeChoice::Maximized, choice == OpenModeChoice::Normal,
            choice == OpenModeChoice::Minimized};
}

}  // namespace tessarin
