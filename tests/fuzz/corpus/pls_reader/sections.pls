; comment
[other]
File1=nothing.mp3
[PlayList]
  file1 = "a.mp3"  
NUMBEROFENTRIES=3
File3=c.mp3
