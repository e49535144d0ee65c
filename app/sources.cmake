# The program body and the main window in both modes.
set(NORVANEX_APP_LOGIC app/CallLine.cpp)
set(NORVANEX_APP_WIN)
