# The header reader: every format, orientation, and hostile files.
vendaro_add_test(NAME compose_probe
  SOURCES probe_test.cpp probe_pictures.cpp
  LIBS vendaro_compose Qt6::Gui)
