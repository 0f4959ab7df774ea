// Spanish (Mexico): the language of the library; left to right.
#define MVL_LANGUAGE LANG_SPANISH
#define MVL_SUBLANGUAGE SUBLANG_SPANISH_MEXICAN
#define MVL_DLG_EXSTYLE 0
