// Swedish: the language of the library; left to right.
#define MVL_LANGUAGE LANG_SWEDISH
#define MVL_SUBLANGUAGE SUBLANG_SWEDISH
#define MVL_DLG_EXSTYLE 0
