# The program body and the main window in both modes.
set(NORVANEX_APP_LOGIC app/CallLine.cpp app/KillRun.cpp app/KillRunMachine.cpp app/Editor.cpp app/Shortcut.cpp
    app/ShortcutChain.cpp)
set(NORVANEX_APP_WIN app/MainUnit_win.cpp app/MainFace_win.cpp app/KillRunStart_win.cpp app/KillRunMode_win.cpp app/Editor_win.cpp
    app/EditorOpen_win.cpp app/EditorCreate_win.cpp app/EntryDrag_win.cpp app/Shortcut_win.cpp)
