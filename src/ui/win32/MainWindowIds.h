#pragma once

// Command ids of the main window's controls and menu items. Tools that drive Tessarin from
// outside (its end-to-end tests among them) send these as WM_COMMAND.
namespace tessarin::win32::ids {

enum : unsigned {
    kList = 2000,
    kAddAction,
    kEditAction,
    kEditHotkey,
    kDeleteAction,
};

enum : unsigned {
    mnuBrowseForIcon = 1001,
    mnuToggleDisable_File,
    mnuMinimizeToTray,
    mnuUnload,
    // Added after the others, so that every earlier id keeps its value.
    mnuExportActions,
    mnuImportActions,
    mnuDoNotReuse = 1101,
    mnuStartup,
    mnuMaximized,
    mnuNormal,
    mnuMinimized,
    mnuSaveSettings,
    mnuHelpAbout = 1200,
    mnuHelpDisplay = 1202,
};

}  // namespace tessarin::win32::ids
