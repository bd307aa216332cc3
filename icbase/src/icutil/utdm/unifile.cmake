# Text files, the text builder and the byte buffers; part of the icutil library.
target_sources(icutil PRIVATE ${CMAKE_CURRENT_LIST_DIR}/unifile.cpp)
