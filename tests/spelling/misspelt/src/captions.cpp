// Texts with the faults the spelling check is there to catch: misspelt Polish,
// English words in a Polish message, an English message.
const char* kMode = "Sposób wyświtlania tapety";
const char* kMixed = "Nie można zapisać tapety: No folder to write the wallpaper to";
const char* kName = "vendaro-compose";
const char* kReason = "the picture has fewer rows than it claims";
