// Thai: the language of the library; left to right.
#define MVL_LANGUAGE LANG_THAI
#define MVL_SUBLANGUAGE SUBLANG_DEFAULT
#define MVL_DLG_EXSTYLE 0
// The Thai user-interface face of Windows.
#define MVL_DLG_FONT "Leelawadee"
