/PUT_FILE salvare de proba
#ATTACH Srv : 5
/END
12345