# The smaller windows and services of the user interface.
set(NORVANEX_UI_LOGIC ui/Lang.cpp ui/TaskList.cpp)
set(NORVANEX_UI_WIN ui/Lang_win.cpp ui/MsgBox_win.cpp ui/Info_win.cpp ui/TaskSel_win.cpp ui/Prop_win.cpp)
