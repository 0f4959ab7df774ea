// Norwegian (Bokmål): the language of the library; left to right.
#define MVL_LANGUAGE LANG_NORWEGIAN
#define MVL_SUBLANGUAGE SUBLANG_NORWEGIAN_BOKMAL
#define MVL_DLG_EXSTYLE 0
