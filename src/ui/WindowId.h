#pragma once

// The screen windows of the application; each exists at most once.
enum class WindowId {
    FrmMain,      // main menu
    FrmCliantU,   // supplier search list (hidden for the whole run)
    FrmSite,      // note entry
    FrmSKbn,      // category maintenance
    FrmBank,      // bank maintenance
    frmCliant,    // supplier maintenance
    FrmRbView,    // note explorer
    FrmRibodo,    // today's settlement
    FrmRBKeikaku, // list by payee
    FrmShikin,    // funding plan
    FrmZandaka,   // balance of notes at a date
    FrmKensaku,   // book search and change history
    FrmView,      // report viewer
    FrmHelp,      // help manual
};
