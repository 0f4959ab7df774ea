// Hebrew: the language of the library; right to left, so its dialogs are mirrored.
#define MVL_LANGUAGE LANG_HEBREW
#define MVL_SUBLANGUAGE SUBLANG_DEFAULT
#define MVL_DLG_EXSTYLE (WS_EX_LAYOUTRTL | WS_EX_RTLREADING)
// The Hebrew user-interface face of Windows.
#define MVL_DLG_FONT "Segoe UI"
