// Texts with the faults the spelling check is there to catch.
const char* kMode = "Sposób wyświtlania tapety";
const char* kMixed = "Nie można zapisać tapety: No folder to write the wallpaper to";
const char* kName = "vendaro-compose";
