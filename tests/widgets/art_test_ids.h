#pragma once
// Resource numbers under which the program and the extension carry the
// artwork of res/art; the art test links the same files under the same ones.
#define ART_APP 128
#define ART_ERROR 135
#define ART_FOLDER 136
#define ART_FILE 137
#define ART_OPTIONS 147
#define ART_HELP 148
#define ART_ABOUT 149
#define ART_PASSWORD 150
#define ART_CMENU 151
#define ART_DISK 152
#define ART_LANGUAGE 154
#define ART_CHECK 155
#define ART_ARROW 156
#define ART_CLIP 158
#define ART_BROOM_32BIT 201
#define ART_BROOM_8BIT 202
