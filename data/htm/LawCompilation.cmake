# Writes the law compilation page from the demo bank's law texts:
#   cmake -DSOURCE=<bank>/1-laws.txt -DTARGET=<page>.htm -P LawCompilation.cmake
# "@lawgroup ID NAME" becomes a part heading, "@law ID NAME" a law heading, "@article ID
# TOPIC" an article heading, and every other line that is not a comment a paragraph.
file(STRINGS "${SOURCE}" lines ENCODING UTF-8)
set(body "")
set(index "")
foreach(line IN LISTS lines)
  string(REPLACE "&" "&amp;" line "${line}")
  string(REPLACE "<" "&lt;" line "${line}")
  string(REPLACE ">" "&gt;" line "${line}")
  if(line MATCHES "^#" OR line STREQUAL "")
    continue()
  elseif(line MATCHES "^@lawgroup[ \t]+([^ \t]+)[ \t]+(.*)$")
    string(APPEND body "<h2 id=\"g${CMAKE_MATCH_1}\">${CMAKE_MATCH_2}</h2>\n")
    string(APPEND index "<li><a href=\"#g${CMAKE_MATCH_1}\">${CMAKE_MATCH_2}</a></li>\n")
  elseif(line MATCHES "^@law[ \t]+([^ \t]+)[ \t]+(.*)$")
    string(APPEND body "<h3 id=\"l${CMAKE_MATCH_1}\">${CMAKE_MATCH_2}</h3>\n")
    string(APPEND index "<li class=\"law\"><a href=\"#l${CMAKE_MATCH_1}\">${CMAKE_MATCH_2}</a></li>\n")
  elseif(line MATCHES "^@article[ \t]+([^ \t]+)[ \t]+(.*)$")
    string(APPEND body "<h4>${CMAKE_MATCH_2}</h4>\n")
  elseif(line MATCHES "^@")
    message(FATAL_ERROR "LawCompilation: unknown line: ${line}")
  else()
    string(APPEND body "<p>${line}</p>\n")
  endif()
endforeach()
file(WRITE "${TARGET}" "<!DOCTYPE html>
<html lang=\"zh-CN\">
<head>
<meta charset=\"utf-8\">
<title>全国注册资产评估师考试相关法规汇编</title>
<style>
body { font-family: \"宋体\", \"SimSun\", serif; margin: 2em 4em; line-height: 1.7; color: #1f2d3d; }
h1 { color: #1f3a68; border-bottom: 2px solid #1f3a68; }
h2 { color: #1f3a68; margin-top: 2em; }
h3 { color: #2e60b0; }
h4 { margin-bottom: 0.2em; }
p { margin: 0.2em 0 0.2em 2em; }
li.law { margin-left: 2em; list-style: circle; }
</style>
</head>
<body>
<h1>全国注册资产评估师考试相关法规汇编</h1>
<p>本汇编收录题库中各法规的要点条文，供复习时查阅；条文为要点摘编，以正式公布的文本为准。</p>
<ul>
${index}</ul>
${body}</body>
</html>
")
