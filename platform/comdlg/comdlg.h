// The common file dialogs with Win32's comdlg32 names, record and flags.
//
// Usage: fill an OPENFILENAMEA (lStructSize 76, or sizeof), give it a file
// buffer of nMaxFile characters holding the initial name, and call
// GetOpenFileNameA or GetSaveFileNameA. A non-zero answer means the user
// confirmed a name, now in lpstrFile (with nFileOffset, nFileExtension and
// nFilterIndex set); 0 means cancelled or failed, and CommDlgExtendedError
// tells which (0 for a cancel). The dialog is modal: the owner takes no input
// while it is up, but the program's windows keep being painted.
#pragma once

#include "platform/win32_types.h"

using LPOFNHOOKPROC = UINT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

// The first 76 bytes (up to lpTemplateName) are the classic record; a caller
// that names that size is served exactly as one that names sizeof.
struct OPENFILENAMEA {
    DWORD lStructSize;
    HWND hwndOwner;
    HINSTANCE hInstance;
    LPCSTR lpstrFilter;
    LPSTR lpstrCustomFilter;
    DWORD nMaxCustFilter;
    DWORD nFilterIndex;
    LPSTR lpstrFile;
    DWORD nMaxFile;
    LPSTR lpstrFileTitle;
    DWORD nMaxFileTitle;
    LPCSTR lpstrInitialDir;
    LPCSTR lpstrTitle;
    DWORD Flags;
    WORD nFileOffset;
    WORD nFileExtension;
    LPCSTR lpstrDefExt;
    LPARAM lCustData;
    LPOFNHOOKPROC lpfnHook;
    LPCSTR lpTemplateName;
    void* pvReserved;
    DWORD dwReserved;
    DWORD FlagsEx;
};
inline constexpr DWORD OPENFILENAME_SIZE_VERSION_400A = 76;

inline constexpr DWORD OFN_READONLY = 0x00000001;
inline constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
inline constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
inline constexpr DWORD OFN_NOCHANGEDIR = 0x00000008;
inline constexpr DWORD OFN_SHOWHELP = 0x00000010;
inline constexpr DWORD OFN_ENABLEHOOK = 0x00000020;
inline constexpr DWORD OFN_ENABLETEMPLATE = 0x00000040;
inline constexpr DWORD OFN_ENABLETEMPLATEHANDLE = 0x00000080;
inline constexpr DWORD OFN_NOVALIDATE = 0x00000100;
inline constexpr DWORD OFN_ALLOWMULTISELECT = 0x00000200;
inline constexpr DWORD OFN_EXTENSIONDIFFERENT = 0x00000400;
inline constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
inline constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
inline constexpr DWORD OFN_CREATEPROMPT = 0x00002000;
inline constexpr DWORD OFN_SHAREAWARE = 0x00004000;
inline constexpr DWORD OFN_NOREADONLYRETURN = 0x00008000;
inline constexpr DWORD OFN_NOTESTFILECREATE = 0x00010000;
inline constexpr DWORD OFN_NONETWORKBUTTON = 0x00020000;
inline constexpr DWORD OFN_NOLONGNAMES = 0x00040000;
inline constexpr DWORD OFN_EXPLORER = 0x00080000;
inline constexpr DWORD OFN_NODEREFERENCELINKS = 0x00100000;
inline constexpr DWORD OFN_LONGNAMES = 0x00200000;
inline constexpr DWORD OFN_ENABLEINCLUDENOTIFY = 0x00400000;
inline constexpr DWORD OFN_ENABLESIZING = 0x00800000;

// CommDlgExtendedError answers.
inline constexpr DWORD CDERR_DIALOGFAILURE = 0xFFFF;
inline constexpr DWORD CDERR_STRUCTSIZE = 0x0001;
inline constexpr DWORD CDERR_INITIALIZATION = 0x0002;
inline constexpr DWORD CDERR_NOTEMPLATE = 0x0003;
inline constexpr DWORD CDERR_NOHINSTANCE = 0x0004;
inline constexpr DWORD CDERR_LOADSTRFAILURE = 0x0005;
inline constexpr DWORD CDERR_FINDRESFAILURE = 0x0006;
inline constexpr DWORD CDERR_LOADRESFAILURE = 0x0007;
inline constexpr DWORD CDERR_LOCKRESFAILURE = 0x0008;
inline constexpr DWORD CDERR_MEMALLOCFAILURE = 0x0009;
inline constexpr DWORD CDERR_MEMLOCKFAILURE = 0x000A;
inline constexpr DWORD CDERR_NOHOOK = 0x000B;
inline constexpr DWORD FNERR_SUBCLASSFAILURE = 0x3001;
inline constexpr DWORD FNERR_INVALIDFILENAME = 0x3002;
inline constexpr DWORD FNERR_BUFFERTOOSMALL = 0x3003;

// Shows the open dialog. Fails (0, CDERR_STRUCTSIZE) for a record of another
// size, (0, CDERR_INITIALIZATION) for a missing file buffer, nMaxFile 0, a
// filter list that is not pairs ended by a double zero, or an owner that is
// not a window; (0, CDERR_NOHOOK / CDERR_NOTEMPLATE) when a hook or template is
// asked for, as the platform has none. nFilterIndex 0 selects the first pair;
// on success it holds the pair in use (1-based). With OFN_FILEMUSTEXIST or
// OFN_PATHMUSTEXIST the dialog refuses names that break the rule; a name typed
// without an extension gets lpstrDefExt. With OFN_ALLOWMULTISELECT several
// files come as the folder, a zero, each name and a zero, and a final zero.
// A result that does not fit nMaxFile is not cut: the call answers 0 with
// FNERR_BUFFERTOOSMALL and the first two bytes of lpstrFile hold the needed
// size (a 16-bit count, as Win32 does).
BOOL GetOpenFileNameA(OPENFILENAMEA* ofn);
// The save dialog: as GetOpenFileNameA, but OFN_OVERWRITEPROMPT asks before a
// name that exists is taken, and the default for a missing file is to accept.
BOOL GetSaveFileNameA(OPENFILENAMEA* ofn);
// The error of the last file-dialog call (0 after success or a cancel).
DWORD CommDlgExtendedError();
