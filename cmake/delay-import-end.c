/* The null record that ends the delay-import table. ld sorts the sections .text$NAME of the program
   by NAME: dlltool puts each DLL's descriptor into .text$2, so this record in .text$3 follows the
   last of them directly. tools/delay_directory.py checks that and enters the table into the PE
   header's delay-import directory, which ld leaves empty. Nothing refers to the record: the link
   keeps it through -u. */
__attribute__((section(".text$3"), used))
const unsigned char norvanex_delay_import_end[32] = {0};
