[web]
base url=http://localhost/cgi-bin/sorvane
