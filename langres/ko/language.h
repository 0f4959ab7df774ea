// Korean: the language of the library; left to right.
#define MVL_LANGUAGE LANG_KOREAN
#define MVL_SUBLANGUAGE SUBLANG_KOREAN
#define MVL_DLG_EXSTYLE 0
