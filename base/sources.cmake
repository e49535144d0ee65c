# What the program's folders share, beneath app/ and ui/: the window framework, the shared facts of
# the running program and the ANSI text rules. Includes run from app/ and ui/ to here, never back.
set(NORVANEX_BASE_LOGIC base/AppInfo.cpp base/AnsiText.cpp base/ControlDesign.cpp base/GlyphArt.cpp base/SystemTraits.cpp)
set(NORVANEX_BASE_WIN base/Window_win.cpp base/DesignedWindow_win.cpp base/ButtonGlyph_win.cpp base/MenuImage_win.cpp base/ListView_win.cpp base/CommonControls_win.cpp base/ComApartment_win.cpp base/AppInfo_win.cpp base/AnsiText_win.cpp
    base/SystemFunction_win.cpp base/SystemDll_win.cpp base/SystemTraits_win.cpp base/SystemFacts_win.cpp)
# The file dialogs with their hook and the guard on typed names.
list(APPEND NORVANEX_BASE_WIN base/FileDialog_win.cpp)
