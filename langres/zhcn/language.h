// Simplified Chinese: the language of the library; left to right.
#define MVL_LANGUAGE LANG_CHINESE
#define MVL_SUBLANGUAGE SUBLANG_CHINESE_SIMPLIFIED
#define MVL_DLG_EXSTYLE 0
