# The layers from the bottom, one entry a level (peers joined by commas): a folder may include its own level's folder and
# every folder of a lower level, nothing above and no peer. Every source folder must be listed
# here (a new one fails the check until it is placed). Folders named qt/ beside a model are its
# views: they may include Qt Widgets and their model's level.
set(KOV_LEVELS
  "base"
  "sheet"
  "script"
  "builtins"
  "gadgets,editor,print"
  "devices"
  "app"
  "ui")
