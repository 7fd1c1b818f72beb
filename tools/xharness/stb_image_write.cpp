// stb's PNG writer, compiled once here; third-party code, left out of the project's lint.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>
