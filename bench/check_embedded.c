/* A small program linked with the embedded archives (resources/EmbeddedArchives.S): it
 * prints the sizes of the embedded archives and exits 0 when their bytes equal the files
 * named on its command line, in the order they were embedded. */
#include <stdint.h>
#include <stdio.h>
#include <string.h>

struct Row
{
    int64_t nameOffset, dataOffset, size;
};
extern const struct Row vx_embedded_archives[];

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
    const char* directory = (const char*)vx_embedded_archives;
    int count = 0;
    int equal = 1;
    for (const struct Row* row = vx_embedded_archives; row->size != 0 || row->nameOffset != 0; ++row, ++count)
    {
        printf("%s%lld", count > 0 ? " " : "", (long long)row->size);
        if (count + 1 >= argc || !equalsFile(directory + row->dataOffset, (long)row->size, argv[count + 1]))
            equal = 0;
    }
    printf("\n");
    return equal && count == argc - 1 ? 0 : 1;
}
