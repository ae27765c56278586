# Run by `cmake --install`: stores where the manual was installed in the user's settings
# ("ManualPath"), as an installer does, so the plug-in's manual button opens it. Like the
# plug-in's own settings, the value goes to a temporary file that is renamed into place.
# DESTDIR, when set, is put in front of the settings file (not of the path it holds).

if(NOT DEFINED KESTRO_INSTALLED_MANUAL)
  message(FATAL_ERROR "KESTRO_INSTALLED_MANUAL is not set")
endif()

if("$ENV{XDG_CONFIG_HOME}" MATCHES "^/")
  set(config_home "$ENV{XDG_CONFIG_HOME}")
elseif("$ENV{HOME}" MATCHES "^/")
  set(config_home "$ENV{HOME}/.config")
else()
  message(WARNING "Neither XDG_CONFIG_HOME nor HOME is set: the manual's path is not stored")
  return()
endif()

set(settings "$ENV{DESTDIR}${config_home}/TAV-quillmoor/TAVKST1")
file(MAKE_DIRECTORY "${settings}")
file(WRITE "${settings}/.ManualPath.installing" "${KESTRO_INSTALLED_MANUAL}")
file(RENAME "${settings}/.ManualPath.installing" "${settings}/ManualPath")
message(STATUS "Setting: ${settings}/ManualPath = ${KESTRO_INSTALLED_MANUAL}")
