; The installer's own English texts (NSIS's standard ones come from MUI2).
LangString SaverSection ${LANG_ENGLISH} "Use as my screen saver"
LangString ProgramsDescription ${LANG_ENGLISH} "The screen saver (Vessmark.scr) and the program that draws the show (Vessmark.dll), side by side in one folder."
LangString SaverDescription ${LANG_ENGLISH} "Makes Vessmark your screen saver now. You can choose another one at any time in the screen saver settings of Windows."
LangString SettingsSection ${LANG_ENGLISH} "Also delete my settings file (Vessmark.ini)"
LangString SettingsDescription ${LANG_ENGLISH} "Deletes the file that holds your choice of music too. Leave it unticked to keep your settings for a later install."
LangString WelcomeText ${LANG_ENGLISH} "Setup will install Vessmark ${VERSION}, a screen saver, for you alone. It needs no administrator rights, and your settings are saved beside the programs.$\r$\n$\r$\nClick Next to continue."
