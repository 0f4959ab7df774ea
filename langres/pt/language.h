// Portuguese (Brazil): the language of the library; left to right.
#define MVL_LANGUAGE LANG_PORTUGUESE
#define MVL_SUBLANGUAGE SUBLANG_PORTUGUESE_BRAZILIAN
#define MVL_DLG_EXSTYLE 0
