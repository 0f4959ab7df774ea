// Italian: the language of the library; left to right.
#define MVL_LANGUAGE LANG_ITALIAN
#define MVL_SUBLANGUAGE SUBLANG_ITALIAN
#define MVL_DLG_EXSTYLE 0
