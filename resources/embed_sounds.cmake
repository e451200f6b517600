# Turns the sound clips into C++: one byte array a clip and the table of resources/sounds.h.
# Run with -DDIRECTORY= (holding <id>.wav), -DIDS= (the ids, ascending, joined by commas), -DOUTPUT=.
string(REPLACE "," ";" ids "${IDS}")
string(REPEAT "0x..," 16 sixteen)
set(arrays "")
set(entries "")
foreach(id IN LISTS ids)
  file(READ "${DIRECTORY}/${id}.wav" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "(${sixteen})" "\\1\n    " bytes "${bytes}")
  string(APPEND arrays "constexpr unsigned char clip${id}[] = {\n    ${bytes}};\n\n")
  string(APPEND entries "    {${id}, clip${id}, sizeof clip${id}},\n")
endforeach()
list(LENGTH ids count)
file(WRITE "${OUTPUT}.tmp" "// Made from resources/sounds/*.wav while building; tools/soundgen makes those files.
#include \"resources/sounds.h\"

namespace resources {

namespace {

${arrays}}  // namespace

const SoundEntry sounds[] = {
${entries}};
const int soundCount = ${count};

}  // namespace resources
")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
