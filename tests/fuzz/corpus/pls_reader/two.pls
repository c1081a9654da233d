[playlist]
File1=sub/a.mp3
Title1=First
Length1=100
FILE2=/else/b.mp3
NumberOfEntries=2
Version=2
