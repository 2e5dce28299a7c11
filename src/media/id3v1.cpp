// ID3v1 tags: the six fields in the last 128 bytes of an MPEG file, the genre table of the Tag
// Editor, and loading a file's tag record.
#include "media/id3v1.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "base/bounded_copy.h"
#include "media/file_splice.h"
#include "media/titles.h"

namespace {

// Field layout inside the tag, by title field index: offset, width (0 = the genre byte).
struct Id3Slot {
    uint32_t offset;
    uint32_t width;
};
const Id3Slot ID3_SLOTS[6] = {
    {3,   ID3_TEXT_BYTES}, // 0 title
    {33,  ID3_TEXT_BYTES}, // 1 artist
    {127, 0             }, // 2 genre byte
    {93,  ID3_YEAR_BYTES}, // 3 year
    {63,  ID3_TEXT_BYTES}, // 4 album
    {97,  ID3_TEXT_BYTES}, // 5 comment
};

// Genre table in list order: display name, genre number.
struct Genre {
    const char* name;
    int number;
};
const Genre GENRES[GENRE_NAME_COUNT] = {
    {"Acapella",          123},
    {"Acid",              34 },
    {"Acid Jazz",         74 },
    {"Acid Punk",         73 },
    {"Acoustic",          99 },
    {"AlternRock",        40 },
    {"Altenative",        20 },
    {"Ambient",           26 },
    {"Anime",             145},
    {"Avantgarde",        90 },
    {"Ballad",            116},
    {"Bass",              41 },
    {"Beat",              135},
    {"Bebob",             85 },
    {"Big Band",          96 },
    {"Black Metal",       138},
    {"BlueGrass",         89 },
    {"Blues",             0  },
    {"Booty Bass",        107},
    {"BritPop",           132},
    {"Cabaret",           65 },
    {"Celtic",            88 },
    {"Chamber Music",     104},
    {"Chanson",           102},
    {"Chorus",            97 },
    {"Christian Gangsta", 136},
    {"Christian Rap",     61 },
    {"Christian Rock",    141},
    {"Classic Rock",      1  },
    {"Classical",         32 },
    {"Club",              112},
    {"Club-House",        128},
    {"Comedy",            57 },
    {"Contemporary Chi",  140},
    {"Country",           2  },
    {"Crossover",         139},
    {"Cult",              58 },
    {"Dance",             3  },
    {"Dance Hall",        125},
    {"Darkwave",          50 },
    {"Death Metel",       22 },
    {"Disco",             4  },
    {"Dream",             55 },
    {"Drum & Bass",       127},
    {"Drum Solo",         122},
    {"Duet",              120},
    {"Easy Listening",    98 },
    {"Electoric",         52 },
    {"Ethnic",            48 },
    {"Eurodance",         54 },
    {"Euro-House",        124},
    {"Euro-Techno",       25 },
    {"Euro-Fusion",       84 },
    {"Folk",              80 },
    {"Folk/Rock",         81 },
    {"Folklore",          115},
    {"Freestyle",         119},
    {"Funk",              5  },
    {"Fusion",            30 },
    {"Game",              36 },
    {"Gangsta Rap",       59 },
    {"Goa",               126},
    {"Gospel",            38 },
    {"Gothic",            49 },
    {"Gothic Rock",       91 },
    {"Grunge",            6  },
    {"Hard Rock",         79 },
    {"Hardcore",          129},
    {"Heavy Metal",       137},
    {"Hip-Hop",           7  },
    {"House",             35 },
    {"Humour",            100},
    {"Indie",             131},
    {"Industrial",        19 },
    {"Instrumental",      33 },
    {"Instrumental Pop",  46 },
    {"Instrumental Rock", 47 },
    {"Jazz",              8  },
    {"Jazz+Funk",         29 },
    {"JPop",              146},
    {"Jungle",            63 },
    {"Latin",             86 },
    {"Lo-Fi",             71 },
    {"Meditative",        45 },
    {"Merengue",          142},
    {"Metal",             9  },
    {"Musical",           77 },
    {"National Folk",     82 },
    {"Native American",   64 },
    {"Negerpunk",         133},
    {"New Age",           10 },
    {"New Wave",          66 },
    {"Noise",             39 },
    {"Oldies",            11 },
    {"Opera",             103},
    {"Other",             12 },
    {"Polka",             75 },
    {"Polsk Punk",        134},
    {"Pop",               13 },
    {"Pop/Funk",          62 },
    {"Pop-Folk",          53 },
    {"Pom Groove",        109},
    {"Power Ballad",      117},
    {"Pranks",            23 },
    {"Primus",            108},
    {"Progressive Rock",  92 },
    {"Psychedelic",       67 },
    {"Psychedelic Rock",  93 },
    {"Punk",              43 },
    {"Punk Rock",         121},
    {"R&B",               14 },
    {"Rap",               15 },
    {"Rave",              68 },
    {"Reggae",            16 },
    {"Retro",             76 },
    {"Revival",           87 },
    {"Rhythimic Soul",    118},
    {"Rock",              17 },
    {"Rock & Roll",       78 },
    {"Salsa",             143},
    {"Samba",             114},
    {"Satire",            110},
    {"Showtunes",         69 },
    {"Ska",               21 },
    {"Slow Jam",          111},
    {"Slow Rock",         95 },
    {"Sonata",            105},
    {"Soul",              42 },
    {"Sound Clip",        37 },
    {"Soundtrack",        24 },
    {"Southem Rock",      56 },
    {"Space",             44 },
    {"Speech",            101},
    {"Swing",             83 },
    {"Symhpnic Rock",     94 },
    {"Symphony",          106},
    {"Synthpop",          147},
    {"Tango",             113},
    {"Techno",            18 },
    {"Techno-Industrial", 51 },
    {"Terror",            130},
    {"Thrash Metal",      144},
    {"Top 40",            60 },
    {"Trailer",           70 },
    {"Trance",            31 },
    {"Tribal",            72 },
    {"Trip-Hop",          27 },
    {"Vocal",             28 },
};

int IsTag(const uint8_t* tag) { return tag[0] == 'T' && tag[1] == 'A' && tag[2] == 'G'; }

}  // namespace

int ReadId3FieldFrom(const ByteReader* r, int field, char* textOut) {
    textOut[0] = 0;
    if (field < 0 || field > 5 || r->size < ID3_TAG_BYTES) return 0;
    uint8_t tag[ID3_TAG_BYTES];
    if (ReadAt(r, r->size - ID3_TAG_BYTES, tag, ID3_TAG_BYTES) != ID3_TAG_BYTES || !IsTag(tag)) return 0;
    const Id3Slot& slot = ID3_SLOTS[field];
    if (slot.width == 0) {
        std::snprintf(textOut, GENRE_TEXT_BYTES, "%u", unsigned(tag[slot.offset]));
        return 1;
    }
    // Trailing blanks are counted back from the field's last byte, so blanks that stand
    // before zero padding stay; the text then ends at its first zero.
    uint32_t len = slot.width;
    while (len > 0 && tag[slot.offset + len - 1] == ' ') len--;
    CopyBounded(textOut, slot.width + 1, (const char*)tag + slot.offset, len);
    return 1;
}

int ReadId3Field(const char* path, int field, char* textOut) {
    textOut[0] = 0;
    MediaFileGuard g;
    if (!OpenMediaFile(path, MF_READ, &g.file)) return 0;
    ByteReader r = FileReader(&g.file);
    return ReadId3FieldFrom(&r, field, textOut);
}

int WriteId3Field(const char* path, int field, const char* value) {
    if (field < 0 || field > 5 || !value) return 0;
    MediaFileGuard g;
    if (!OpenMediaFile(path, MF_READ_WRITE_SHARED, &g.file)) {
        SetTitleWriteFailure(WRITE_FAILED_OPEN);
        return 0;
    }
    uint64_t size = MediaFileSize(&g.file);
    uint8_t tag[ID3_TAG_BYTES];
    Splice s{};
    s.cutStart = size;  // a new tag goes behind everything else
    if (size >= ID3_TAG_BYTES && ReadMediaFile(&g.file, size - ID3_TAG_BYTES, tag, ID3_TAG_BYTES) == ID3_TAG_BYTES &&
        IsTag(tag)) {
        s.cutStart = size - ID3_TAG_BYTES;  // rewritten where it stands
    } else {
        std::memset(tag, ' ', sizeof tag);
        std::memcpy(tag, "TAG", 3);
        tag[ID3_TAG_BYTES - 1] = GENRE_NONE_BYTE;
    }
    const Id3Slot& slot = ID3_SLOTS[field];
    if (slot.width == 0) {
        tag[slot.offset] = uint8_t(std::atoi(value));  // "-1" wraps to 255, no genre
    } else {
        size_t len = std::strlen(value);
        if (len > slot.width) len = slot.width;
        std::memset(tag + slot.offset, ' ', slot.width);
        std::memcpy(tag + slot.offset, value, len);
    }
    s.cutEnd = size;
    s.insert = tag;
    s.insertLength = ID3_TAG_BYTES;
    s.tailIsTitleData = 1;
    return ApplySplice(path, &g.file, &s);
}

int GenreNameCount() { return GENRE_NAME_COUNT; }

const char* GenreNameAt(int position) {
    return (position >= 0 && position < GENRE_NAME_COUNT) ? GENRES[position].name : nullptr;
}

int GenreNumberAt(int position) {
    return (position >= 0 && position < GENRE_NAME_COUNT) ? GENRES[position].number : -1;
}

int GenrePositionOf(int genreNumber) {
    for (int i = 0; i < GENRE_NAME_COUNT; i++)
        if (GENRES[i].number == genreNumber) return i;
    return -1;
}

namespace {

// Reads the six fields of the record with one source. The title, when absent, stays empty
// rather than taking the file name.
void LoadFields(const char* path, int source, TagLoad* load) {
    TagRecord* rec = &load->record;
    char buf[TITLE_FIELD_MAX_BYTES];
    if (GetTitleField(path, FIELD_TITLE, buf, source))
        CopyBounded(rec->title, sizeof rec->title, buf, TITLE_BYTES);
    if (std::strlen(rec->title) > ID3_TEXT_BYTES) {
        load->titleWasCut = 1;
        rec->title[ID3_TEXT_BYTES] = 0;
    }
    GetTitleField(path, FIELD_ARTIST, buf, source);
    CopyBounded(rec->artist, sizeof rec->artist, buf, ARTIST_BYTES);
    GetTitleField(path, FIELD_GENRE, buf, source);
    rec->genre = buf[0] ? std::atoi(buf) : -1;
    GetTitleField(path, FIELD_YEAR, buf, source);
    CopyBounded(rec->year, sizeof rec->year, buf, YEAR_BYTES);
    GetTitleField(path, FIELD_ALBUM, buf, source);
    CopyBounded(rec->album, sizeof rec->album, buf, ALBUM_BYTES);
    GetTitleField(path, FIELD_COMMENT, buf, source);
    CopyBounded(rec->comment, sizeof rec->comment, buf, COMMENT_BYTES);
}

}  // namespace

int LoadTagRecord(const char* path, TagLoad* load) {
    std::memset(load, 0, sizeof *load);
    load->record.genre = -1;
    int container = TITLES_NONE;
    if (!GetTitleContainer(path, &container)) return 0;
    if (container != TITLES_ID3_TRAILER) {
        LoadFields(path, SOURCE_ID3_FIRST, load);
        return 1;
    }
    LoadFields(path, SOURCE_ID3_FIRST_B, load);
    load->hasTrailerTitle = GetTitleField(path, FIELD_TITLE, load->trailerTitle, SOURCE_TRAILER);
    if (!load->hasTrailerTitle) load->trailerTitle[0] = 0;
    return 1;
}

void FormatTitleChoice(const TagLoad* load, char* textOut) {
    std::snprintf(textOut, TITLE_CHOICE_BYTES, "\nYes %s\nNo  %s", load->record.title, load->trailerTitle);
}

void UseTrailerTitle(TagLoad* load) {
    CopyBounded(load->record.title, sizeof load->record.title, load->trailerTitle, TITLE_BYTES - 1);
}
