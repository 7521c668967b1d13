// The system headers the real Api needs, without the A/W name macros that
// would otherwise rename os::Api's methods (CreateFile -> CreateFileW) in any
// file that sees both. Code here calls the system's functions by their full
// names.
#pragma once

#include <windows.h>
#include <commdlg.h>
#include <objbase.h>
#include <oleauto.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#undef RegConnectRegistry
#undef RegOpenKeyEx
#undef RegCreateKeyEx
#undef RegQueryValueEx
#undef RegSetValueEx
#undef RegDeleteValue
#undef RegDeleteKey
#undef RegEnumKeyEx
#undef RegEnumValue
#undef RegQueryInfoKey
#undef PathFileExists
#undef GetFileAttributes
#undef SetFileAttributes
#undef GetFileAttributesEx
#undef CopyFile
#undef MoveFile
#undef DeleteFile
#undef CreateDirectory
#undef RemoveDirectory
#undef FindFirstFile
#undef FindNextFile
#undef CreateFile
#undef GetCurrentDirectory
#undef SetCurrentDirectory
#undef GetTempPath
#undef GetModuleFileName
#undef CreateProcess
#undef FindExecutable
#undef ShellExecute
#undef GetOpenFileName
#undef GetPrivateProfileString
#undef ReportEvent
#undef FormatMessage
#undef CreateMutex
