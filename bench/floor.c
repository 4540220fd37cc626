/* The floor of a whole audit run: walks a tree with fts and, for every regular
 * file whose name ends in ".lnk" (case ignored; with --jump-lists also in
 * ".automaticDestinations-ms" or ".customDestinations-ms"), reads it whole.
 * Nothing else: fts already holds each entry's stat, so an audit run, which
 * must at least list, stat and read every shortcut, cannot cost less than this
 * on the same tree. */

#include <fcntl.h>
#include <fts.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

static int EndsWith(const char* name, size_t length, const char* suffix) {
  const size_t suffix_length = strlen(suffix);
  return length >= suffix_length && strcasecmp(name + length - suffix_length, suffix) == 0;
}

static int jump_lists = 0;

static int IsShortcutName(const char* name, size_t length) {
  return EndsWith(name, length, ".lnk") ||
         (jump_lists && (EndsWith(name, length, ".automaticDestinations-ms") ||
                         EndsWith(name, length, ".customDestinations-ms")));
}

int main(int argc, char** argv) {
  jump_lists = argc == 3 && strcmp(argv[1], "--jump-lists") == 0;
  if (argc != 2 + jump_lists) {
    fprintf(stderr, "usage: varnlink_floor [--jump-lists] TREE\n");
    return 2;
  }
  char* roots[] = {argv[argc - 1], NULL};
  /* Physical walk: symbolic links are not followed, as the audit's walk does not. */
  FTS* walk = fts_open(roots, FTS_PHYSICAL, NULL);
  if (walk == NULL) {
    perror(argv[argc - 1]);
    return 1;
  }
  size_t files = 0;
  size_t bytes = 0;
  char* buffer = NULL;
  size_t capacity = 0;
  FTSENT* entry;
  while ((entry = fts_read(walk)) != NULL) {
    if (entry->fts_info != FTS_F || !IsShortcutName(entry->fts_name, entry->fts_namelen)) continue;
    const size_t size = (size_t)entry->fts_statp->st_size;
    if (size > capacity) {
      free(buffer);
      capacity = size;
      buffer = malloc(capacity);
      if (buffer == NULL) {
        perror("malloc");
        return 1;
      }
    }
    const int fd = open(entry->fts_accpath, O_RDONLY | O_CLOEXEC);
    if (fd < 0) continue;
    size_t filled = 0;
    ssize_t n;
    while (filled < size && (n = read(fd, buffer + filled, size - filled)) > 0) filled += (size_t)n;
    close(fd);
    ++files;
    bytes += filled;
  }
  fts_close(walk);
  free(buffer);
  printf("%zu files, %zu bytes\n", files, bytes);
  return 0;
}
