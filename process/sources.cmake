# Process access: the platform-free logic and its Win32 binding.
set(NORVANEX_PROCESS_LOGIC)
set(NORVANEX_PROCESS_WIN)
