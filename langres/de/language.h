// German: the language of the library; left to right.
#define MVL_LANGUAGE LANG_GERMAN
#define MVL_SUBLANGUAGE SUBLANG_GERMAN
#define MVL_DLG_EXSTYLE 0
