# Turns the registration entries that the type library generator writes
# (key, value name, value; tab-separated, keys below the classes root) into
# the MSI source's RegistryValue elements of one component, with the
# server's path and folder as the package names them.
#   awk -v path='[#File]' -v folder='[DIR]' -f registry-values.awk FILE
BEGIN { FS = "\t" }
function xml(text) {
  gsub(/&/, "\\&amp;", text)
  gsub(/</, "\\&lt;", text)
  gsub(/>/, "\\&gt;", text)
  gsub(/"/, "\\&quot;", text)
  return text
}
NF != 3 { print "registry-values.awk: bad entry on line " NR > "/dev/stderr"; exit 1 }
{
  value = $3
  gsub(/@SERVER_PATH@/, path, value)
  gsub(/@SERVER_FOLDER@/, folder, value)
  name = $2 == "" ? "" : " Name=\"" xml($2) "\""
  printf "            <RegistryValue Root=\"HKLM\" Key=\"Software\\Classes\\%s\"%s Type=\"string\" Value=\"%s\" />\n", xml($1), name, xml(value)
}
