# Process access: the platform-free logic and its Win32 binding.
set(NORVANEX_PROCESS_LOGIC
    process/FileIdentity.cpp
    process/ImagePath.cpp
    process/ImagePaths.cpp
    process/PerfData.cpp
    process/ProcessAccess.cpp
    process/ProcessLists.cpp
    process/ProgramName.cpp
    process/SparePolicy.cpp
    process/SystemProcesses.cpp)
set(NORVANEX_PROCESS_WIN
    process/ProcessPlatform_win.cpp)
