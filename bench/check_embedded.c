/* A small program linked with the embedded archives (resources/EmbeddedArchives.S): it
 * exits 0 when the embedded bytes equal the three files named on its command line, in
 * format order VST3, CLAP, AAX, and prints the three sizes. */
#include <stdio.h>
#include <string.h>

extern const char vst3_zip[], clap_zip[], aax_zip[];
extern const int vst3_zipSize, clap_zipSize, aax_zipSize;

static int equalsFile(const char* data, long size, const char* path)
{
    static char buffer[1 << 16];
    FILE* file = fopen(path, "rb");
    long offset = 0;
    size_t n = 0;
    if (file == NULL)
        return 0;
    while ((n = fread(buffer, 1, sizeof buffer, file)) > 0)
    {
        if (offset + (long)n > size || memcmp(data + offset, buffer, n) != 0)
            break;
        offset += (long)n;
    }
    fclose(file);
    return n == 0 && offset == size;
}

int main(int argc, char** argv)
{
    printf("%d %d %d\n", vst3_zipSize, clap_zipSize, aax_zipSize);
    if (argc != 4)
        return 0;
    return equalsFile(vst3_zip, vst3_zipSize, argv[1]) && equalsFile(clap_zip, clap_zipSize, argv[2]) &&
                   equalsFile(aax_zip, aax_zipSize, argv[3])
               ? 0
               : 1;
}
