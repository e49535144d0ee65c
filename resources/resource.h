/* Resource numbers and product strings, shared by resources/Norvanex.rc and the C++ sources. */
#ifndef NORVANEX_RESOURCE_H
#define NORVANEX_RESOURCE_H

/* Plain numbers only: windres and rc.exe read this file through their preprocessor. */

/* The application icon: the lowest icon number, so Explorer and the task bar show it. */
#define IDI_NORVANEX 1

/*
 * Button glyph pairs, drawn by tools/make_art.py. Each is one 32 x 16 bitmap, 32 bits per pixel
 * with straight (not premultiplied) alpha in the fourth byte: the left 16 x 16 is the enabled
 * glyph, the right one the disabled glyph. Load with LoadImage(instance, MAKEINTRESOURCE(id),
 * IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION) so that the alpha byte survives, then
 * ImageList_Create(16, 16, ILC_COLOR32, 2, 0) and ImageList_Add(list, bitmap, nullptr):
 * image 0 is enabled, image 1 disabled. Comctl32 6 (bound by the manifest) blends the alpha;
 * no mask or key colour is involved.
 */
#define IDB_BITBTN1 101 /* OK, a check mark (kill run; fits the about box's OK as well) */
#define IDB_IMAGE4  102 /* Create shortcut: BitBtn1's pair in the editor */
#define IDB_BITBTN2 103 /* Insert, a plus */
#define IDB_BITBTN3 104 /* Delete, a cross over a list */
#define IDB_BITBTN4 105 /* Exit, an arrow leaving through a door */
#define IDB_BITBTN5 106 /* Choose, a folder with a play badge */
#define IDB_BITBTN6 107 /* Remove, a minus on a disc */
#define IDB_BITBTN9 108 /* Info, the letter i */

/*
 * The insert menu's images: one 16 x 16 picture each, in the glyphs' format (straight alpha); the
 * menu takes them premultiplied.
 */
#define IDB_MENU_TASK 109 /* Insert from the running tasks: windows of running programs */
#define IDB_MENU_FILE 110 /* Insert a program file: a page with a plus */

/*
 * The same glyphs and menu images drawn at 32 pixels (a 64 x 32 pair, a 32 x 32 picture), for
 * 144 DPI and more: each number is its 16-pixel twin's plus IDB_ART32_OFFSET.
 */
#define IDB_ART32_OFFSET 100
#define IDB_BITBTN1_32   201
#define IDB_IMAGE4_32    202
#define IDB_BITBTN2_32   203
#define IDB_BITBTN3_32   204
#define IDB_BITBTN4_32   205
#define IDB_BITBTN5_32   206
#define IDB_BITBTN6_32   207
#define IDB_BITBTN9_32   208
#define IDB_MENU_TASK_32 209
#define IDB_MENU_FILE_32 210

/* The about box's maker logo (Image8), 88 x 42, in the same 32-bit straight-alpha format. */
#define IDB_LOGO 120

/* The maker, as the version resource and the about box show it: name, years, the line naming
   both, the copyright line, and the addresses the about box opens. The web page goes through the
   maker's redirect page: site + "/redir/prog.php?url=" + home page. The \xA9 is the copyright
   sign in code page 1252. The .example domain is reserved until the project has addresses of its
   own. */
#define NORVANEX_COMPANY   "Norvanex Team"
#define NORVANEX_YEARS     "2026"
#define NORVANEX_MAKER_LINE "\xA9 " NORVANEX_YEARS " " NORVANEX_COMPANY
#define NORVANEX_COPYRIGHT "Copyright " NORVANEX_MAKER_LINE
#define NORVANEX_SITE      "https://www.norvanex.example"
#define NORVANEX_HOMEPAGE  "https://www.norvanex.example/norvanex/"
#define NORVANEX_WEB_SHOWN "www.norvanex.example"
#define NORVANEX_MAIL      "mail@norvanex.example"

#endif
