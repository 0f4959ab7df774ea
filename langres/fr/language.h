// French: the language of the library; left to right.
#define MVL_LANGUAGE LANG_FRENCH
#define MVL_SUBLANGUAGE SUBLANG_FRENCH
#define MVL_DLG_EXSTYLE 0
