; The installer's own Japanese texts (NSIS's standard ones come from MUI2).
LangString SaverSection ${LANG_JAPANESE} "スクリーン セーバーとして使う"
LangString ProgramsDescription ${LANG_JAPANESE} "スクリーン セーバー本体 (Vessmark.scr) と、画面を描くプログラム (Vessmark.dll)。二つは同じフォルダーに入ります。"
LangString SaverDescription ${LANG_JAPANESE} "Vessmark を今のスクリーン セーバーにします。Windows のスクリーン セーバーの設定で、いつでもほかのものに変えられます。"
LangString SettingsSection ${LANG_JAPANESE} "設定ファイル (Vessmark.ini) も削除する"
LangString SettingsDescription ${LANG_JAPANESE} "音楽の設定を保存したファイルも削除します。チェックしなければ設定は残り、もう一度インストールしたときにも使えます。"
LangString WelcomeText ${LANG_JAPANESE} "スクリーン セーバー Vessmark ${VERSION} を、このユーザーのためにインストールします。管理者の権限は要りません。設定はプログラムと同じフォルダーに保存されます。$\r$\n$\r$\n続けるには [次へ] をクリックしてください。"
