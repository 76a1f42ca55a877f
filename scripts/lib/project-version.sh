# The project's version, as the top-level CMakeLists.txt names it ("3.60").
# Sourced from the project's root.
project_version() {
  sed -n 's/^project(kv7700 VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt
}
