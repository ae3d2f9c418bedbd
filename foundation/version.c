/* Version text of the shared library, shown by the programs' diagnostics. */
const char orv_version[] = "1.0.0";
