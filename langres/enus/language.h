// English (United States): the language of the library; left to right.
#define MVL_LANGUAGE LANG_ENGLISH
#define MVL_SUBLANGUAGE SUBLANG_ENGLISH_US
#define MVL_DLG_EXSTYLE 0
