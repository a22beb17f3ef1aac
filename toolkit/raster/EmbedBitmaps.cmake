# Writes a C++ source that holds every resources/<number>.bmp as a byte
# array, for the raster backend's bitmap loader.
#   cmake -DINPUT_DIR=<resources> -DOUTPUT=<file.cpp> -P EmbedBitmaps.cmake
file(GLOB bitmaps "${INPUT_DIR}/*.bmp")
list(SORT bitmaps)
set(arrays "")
set(entries "")
set(count 0)
foreach(bitmap IN LISTS bitmaps)
  get_filename_component(number "${bitmap}" NAME_WE)
  if(NOT number MATCHES "^[0-9]+$")
    continue()
  endif()
  file(READ "${bitmap}" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "((0x..,){24})" "\\1\n" bytes "${bytes}")
  string(APPEND arrays "const std::uint8_t bitmap${number}[] = {\n${bytes}};\n")
  string(APPEND entries "    {${number}, bitmap${number}, sizeof bitmap${number}},\n")
  math(EXPR count "${count} + 1")
endforeach()
if(count EQUAL 0)
  set(entries "    {0, nullptr, 0},\n")
endif()
file(WRITE "${OUTPUT}.new" "// Made by EmbedBitmaps.cmake from resources/*.bmp; do not edit.
#include \"toolkit/raster/BitmapResources.h\"

namespace stipplewave::raster {

namespace {
${arrays}}  // namespace

const EmbeddedBitmap embeddedBitmaps[] = {
${entries}};
const std::size_t embeddedBitmapCount = ${count};

}  // namespace stipplewave::raster
")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
