// Arabic: the language of the library; right to left, so its dialogs are mirrored.
#define MVL_LANGUAGE LANG_ARABIC
#define MVL_SUBLANGUAGE SUBLANG_ARABIC_SAUDI_ARABIA
#define MVL_DLG_EXSTYLE (WS_EX_LAYOUTRTL | WS_EX_RTLREADING)
// The Arabic user-interface face of Windows (Tahoma on the oldest systems has Arabic too).
#define MVL_DLG_FONT "Segoe UI"
