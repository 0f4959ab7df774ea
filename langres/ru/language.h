// Russian: the language of the library; left to right.
#define MVL_LANGUAGE LANG_RUSSIAN
#define MVL_SUBLANGUAGE SUBLANG_DEFAULT
#define MVL_DLG_EXSTYLE 0
